#pragma once

#include <memory>
#include <string>

#include "platform/FluidSynthEngine.h"
#include "platform/MidiOutput.h"
#include "platform/SynthEngineCache.h"

namespace zamrit {

// The built-in synthesizer playing through the desktop's audio output: PipeWire, else
// PulseAudio, else ALSA, whichever answers first.
class SynthMidiOutput final : public MidiOutput {
public:
    // The process's engine for the SoundFont at the resolved path soundFont (loaded once, see
    // SynthEngineCache); nullptr, with the reason in `problem`, when the font can not be
    // loaded or no audio output answers.
    static std::unique_ptr<SynthMidiOutput> Open(const std::string& soundFont, std::string* problem = nullptr);
    ~SynthMidiOutput() override;

    bool SendShort(std::uint32_t packed) override;
    bool SendLong(std::span<const std::uint8_t> message) override;
    bool Reset() override;
    bool Close() override;

private:
    SynthMidiOutput(SynthEngineCache::Loan engine, fluid_audio_driver_t* driver);

    SynthEngineCache::Loan engine_;
    fluid_audio_driver_t* driver_;
};

}  // namespace zamrit
