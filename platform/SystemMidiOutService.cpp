#include "platform/SystemMidiOutService.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "platform/AlsaMidiOutput.h"
#include "platform/SoundFontChoice.h"
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

std::string PortList(const std::vector<std::string>& ports) {
    if (ports.empty()) return "there are no ALSA sequencer ports";
    std::string list = "the ports are";
    for (std::size_t i = 0; i < ports.size(); ++i) list += (i == 0 ? " \"" : ", \"") + ports[i] + "\"";
    return list;
}

constexpr const char* kHowToChoose =
    "Choose another output with the environment variable ZAMRIT_MIDI_OUT before starting the "
    "program: synth, wav:PATH, alsa:NAME, log:PATH or none (for example "
    "ZAMRIT_MIDI_OUT=wav:piece.wav), or in the game with the Output menu of the window's "
    "right-click menu. The game's Help describes each.";

}  // namespace

SystemMidiOutService::SystemMidiOutService(std::optional<std::string> setting)
    : setting_(std::move(setting)) {}

std::optional<std::string> SystemMidiOutService::EnvironmentSetting() {
    const char* value = std::getenv(kSettingName);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

void SystemMidiOutService::SetChosenOutput(std::string setting) {
    std::lock_guard lock(mutex_);
    chosen_ = std::move(setting);
}

std::string SystemMidiOutService::Setting() const {
    if (setting_) return *setting_;
    if (auto value = EnvironmentSetting()) return *value;
    std::lock_guard lock(mutex_);
    return chosen_;
}

bool SystemMidiOutService::UsesBuiltInSynthesizer() const {
    const std::string setting = Setting();
    return setting.empty() || setting == "synth" || ArgumentOf(setting, "wav").has_value();
}

std::uint32_t SystemMidiOutService::DeviceCount() {
    if (Setting() == "none") return 0;
    return 1 + static_cast<std::uint32_t>(AlsaMidiOutput::PortNames().size());
}

std::unique_ptr<MidiOutput> SystemMidiOutService::Open(std::int32_t id) {
    const std::string setting = Setting();
    if (setting == "none") {
        Failed("ZAMRIT_MIDI_OUT=none", "the setting asks for no MIDI output");
        return nullptr;
    }
    if (id == kMidiMapper) return OpenMapper(setting);
    if (id == 0) return OpenSynth();
    if (id < 0) return nullptr;
    auto port = AlsaMidiOutput::Open(static_cast<unsigned>(id - 1));
    if (port == nullptr) Failed("ALSA port " + std::to_string(id - 1), "it can not be opened");
    return port;
}

std::unique_ptr<MidiOutput> SystemMidiOutService::OpenSynth() {
    const SoundFontChoice::Result font = ProcessSoundFont().Resolve();
    if (!font.problem.empty()) {
        Failed("the built-in synthesizer (synth)", font.problem);
        return nullptr;
    }
    std::string why;
    auto synth = SynthMidiOutput::Open(font.path, &why);
    if (synth == nullptr) Failed("the built-in synthesizer (synth)", why);
    return synth;
}

std::unique_ptr<MidiOutput> SystemMidiOutService::OpenMapper(const std::string& setting) {
    // Named as where it came from: the environment, or the game's Output menu.
    const bool fromMenu = !setting_ && !EnvironmentSetting();
    const std::string named = (fromMenu ? "the Output menu's choice " : "ZAMRIT_MIDI_OUT=") + setting;
    if (setting.empty() || setting == "synth") return OpenSynth();
    if (auto path = ArgumentOf(setting, "wav")) {
        // On a manual clock nothing paces the file: it grows as the clock is moved.
        const SoundFontChoice::Result font = ProcessSoundFont().Resolve();
        if (!font.problem.empty()) {
            Failed(named, font.problem);
            return nullptr;
        }
        std::string why;
        auto wav = WavMidiOutput::Open(*path, font.path, !CurrentTimerService().IsManual(), &why);
        if (wav == nullptr) Failed(named, "the WAV file " + *path + " can not be written: " + why);
        return wav;
    }
    if (auto path = ArgumentOf(setting, "log")) {
        std::string why;
        auto log = LogMidiOutput::Open(*path, &why);
        if (log == nullptr) Failed(named, "the log file " + *path + " can not be written: " + why);
        return log;
    }
    if (auto name = ArgumentOf(setting, "alsa")) {
        const std::vector<std::string> ports = AlsaMidiOutput::PortNames();
        for (unsigned port = 0; port < ports.size(); ++port) {
            if (ports[port].find(*name) == std::string::npos) continue;
            auto opened = AlsaMidiOutput::Open(port);
            if (opened == nullptr) Failed(named, "the ALSA port \"" + ports[port] + "\" can not be opened");
            return opened;
        }
        Failed(named, "no ALSA port's name contains \"" + *name + "\"; " + PortList(ports));
        return nullptr;
    }
    Failed(named, "this names no output");
    return nullptr;
}

void SystemMidiOutService::Failed(const std::string& output, const std::string& why) {
    std::lock_guard lock(mutex_);
    // The mapper and device 0 may be the same output: it is named once.
    std::string failure = output + ": " + why;
    if (std::find(failures_.begin(), failures_.end(), failure) == failures_.end()) {
        failures_.push_back(std::move(failure));
    }
}

std::string SystemMidiOutService::TakeExplanation() {
    const bool none = Setting() == "none";
    std::lock_guard lock(mutex_);
    if (none && failures_.empty()) failures_.push_back("ZAMRIT_MIDI_OUT=none: the setting asks for no MIDI output");
    std::string text = "No MIDI output could be opened. Tried:\n";
    for (const std::string& failure : failures_) text += "  " + failure + "\n";
    text += std::string(kHowToChoose) + "\n";
    failures_.clear();
    return text;
}

void SystemMidiOutService::ExplainOpenFailure() { std::cerr << TakeExplanation() << std::flush; }

}  // namespace zamrit
