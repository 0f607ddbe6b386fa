#pragma once

#include <memory>

#include "platform/FluidSynthEngine.h"
#include "platform/MidiOutput.h"

namespace zamrit {

// The built-in synthesizer playing through the desktop's audio output: PipeWire, else
// PulseAudio, else ALSA, whichever answers first.
class SynthMidiOutput final : public MidiOutput {
public:
    // nullptr when there is no SoundFont or no audio output answers.
    static std::unique_ptr<SynthMidiOutput> Open();
    ~SynthMidiOutput() override;

    bool SendShort(std::uint32_t packed) override;
    bool SendLong(std::span<const std::uint8_t> message) override;
    bool Reset() override;
    bool Close() override;

private:
    SynthMidiOutput(std::unique_ptr<FluidSynthEngine> engine, fluid_audio_driver_t* driver);

    std::unique_ptr<FluidSynthEngine> engine_;
    fluid_audio_driver_t* driver_;
};

}  // namespace zamrit
