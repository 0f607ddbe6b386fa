#include "platform/SystemMidiOutService.h"

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/AlsaMidiOutput.h"
#include "platform/LogMidiOutput.h"
#include "platform/SynthMidiOutput.h"
#include "platform/TimerService.h"
#include "platform/WavMidiOutput.h"

namespace zamrit {
namespace {

// The text after "prefix:", if the setting starts with it.
std::optional<std::string> ArgumentOf(std::string_view setting, std::string_view prefix) {
    if (setting.size() <= prefix.size() || setting.substr(0, prefix.size()) != prefix ||
        setting[prefix.size()] != ':') {
        return std::nullopt;
    }
    return std::string(setting.substr(prefix.size() + 1));
}

std::unique_ptr<MidiOutput> OpenAlsaPortNamed(const std::string& name) {
    const std::vector<std::string> ports = AlsaMidiOutput::PortNames();
    for (unsigned port = 0; port < ports.size(); ++port) {
        if (ports[port].find(name) != std::string::npos) return AlsaMidiOutput::Open(port);
    }
    return nullptr;
}

}  // namespace

SystemMidiOutService::SystemMidiOutService(std::optional<std::string> setting)
    : setting_(std::move(setting)) {}

std::string SystemMidiOutService::Setting() const {
    if (setting_) return *setting_;
    const char* value = std::getenv(kSettingName);
    return value != nullptr ? value : "";
}

std::uint32_t SystemMidiOutService::DeviceCount() {
    if (Setting() == "none") return 0;
    return 1 + static_cast<std::uint32_t>(AlsaMidiOutput::PortNames().size());
}

std::unique_ptr<MidiOutput> SystemMidiOutService::Open(std::int32_t id) {
    const std::string setting = Setting();
    if (setting == "none") return nullptr;
    if (id == kMidiMapper) return OpenMapper(setting);
    if (id == 0) return SynthMidiOutput::Open();
    if (id < 0) return nullptr;
    return AlsaMidiOutput::Open(static_cast<unsigned>(id - 1));
}

std::unique_ptr<MidiOutput> SystemMidiOutService::OpenMapper(const std::string& setting) {
    if (setting.empty() || setting == "synth") return SynthMidiOutput::Open();
    if (auto path = ArgumentOf(setting, "wav")) {
        // On a manual clock nothing paces the file: it grows as the clock is moved.
        return WavMidiOutput::Open(*path, !CurrentTimerService().IsManual());
    }
    if (auto path = ArgumentOf(setting, "log")) return LogMidiOutput::Open(*path);
    if (auto name = ArgumentOf(setting, "alsa")) return OpenAlsaPortNamed(*name);
    return nullptr;
}

}  // namespace zamrit
