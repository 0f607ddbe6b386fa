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

std::unique_ptr<SynthMidiOutput> SynthMidiOutput::Open(const std::string& soundFont, std::string* problem) {
    SynthEngineCache::Loan engine = SynthEngines().Lend(soundFont);
    if (!engine) {
        if (problem != nullptr) *problem = "FluidSynth can not load the SoundFont " + soundFont;
        return nullptr;
    }
    fluid_audio_driver_t* driver = OpenAudioDriver(*engine);
    if (driver == nullptr) {
        if (problem != nullptr) *problem = "no audio output answered (tried PipeWire, PulseAudio and ALSA)";
        return nullptr;
    }
    return std::unique_ptr<SynthMidiOutput>(new SynthMidiOutput(std::move(engine), driver));
}

SynthMidiOutput::SynthMidiOutput(SynthEngineCache::Loan engine, fluid_audio_driver_t* driver)
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
    // The audio thread has stopped: the engine can go back for the next output.
    engine_.Return();
    return true;
}

}  // namespace zamrit
