#include "platform/SynthMidiOutput.h"

#include <fluidsynth.h>

#include <array>

#include "platform/QuietAlsaLibrary.h"

namespace zamrit {
namespace {

constexpr std::array<const char*, 3> kAudioDrivers{"pipewire", "pulseaudio", "alsa"};

fluid_audio_driver_t* OpenAudioDriver(FluidSynthEngine& engine) {
    QuietAlsaLibrary();
    for (const char* driver : kAudioDrivers) {
        if (fluid_settings_setstr(engine.Settings(), "audio.driver", driver) != FLUID_OK) continue;
        if (fluid_audio_driver_t* opened = new_fluid_audio_driver(engine.Settings(), engine.Synth())) {
            return opened;
        }
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<SynthMidiOutput> SynthMidiOutput::Open() {
    std::unique_ptr<FluidSynthEngine> engine = FluidSynthEngine::Create();
    if (engine == nullptr) return nullptr;
    fluid_audio_driver_t* driver = OpenAudioDriver(*engine);
    if (driver == nullptr) return nullptr;
    return std::unique_ptr<SynthMidiOutput>(new SynthMidiOutput(std::move(engine), driver));
}

SynthMidiOutput::SynthMidiOutput(std::unique_ptr<FluidSynthEngine> engine, fluid_audio_driver_t* driver)
    : engine_(std::move(engine)), driver_(driver) {}

SynthMidiOutput::~SynthMidiOutput() { Close(); }

bool SynthMidiOutput::SendShort(std::uint32_t packed) {
    return driver_ != nullptr && engine_->PlayShort(packed);
}

bool SynthMidiOutput::SendLong(std::span<const std::uint8_t> message) {
    return driver_ != nullptr && engine_->PlayExclusive(message);
}

bool SynthMidiOutput::Reset() { return driver_ != nullptr && engine_->AllNotesOff(); }

bool SynthMidiOutput::Close() {
    if (driver_ == nullptr) return false;
    delete_fluid_audio_driver(driver_);
    driver_ = nullptr;
    return true;
}

}  // namespace zamrit
