#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

// FluidSynth's handles, declared as its own header does, so that its headers and compile
// flags stay inside the platform library.
typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_audio_driver_t fluid_audio_driver_t;

namespace zamrit {

// The built-in General MIDI synthesizer: FluidSynth with the desktop's GM SoundFont, taking
// MIDI messages and rendering 16-bit stereo audio. Shared by the outputs that play it
// through the audio system and that write it to a WAV file. FluidSynth's own log is silenced:
// failures show as a null engine or a false result instead.
class FluidSynthEngine {
public:
    static constexpr int kSampleRate = 44100;
    // FluidSynth's default gain of 0.2 is very quiet for a GM SoundFont; this level keeps a
    // few voices of the dice pieces loud without clipping.
    static constexpr double kGain = 0.7;

    // nullptr when there is no SoundFont or the synthesizer can not be made.
    static std::unique_ptr<FluidSynthEngine> Create();
    // /usr/share/sounds/sf2/default-GM.sf2, or else the first .sf2 file of that folder whose
    // name mentions GM; empty when there is none.
    static std::string FindSoundFont();

    FluidSynthEngine(const FluidSynthEngine&) = delete;
    FluidSynthEngine& operator=(const FluidSynthEngine&) = delete;
    ~FluidSynthEngine();

    bool PlayShort(std::uint32_t packed);
    // F0 ... F7 as it goes over the wire.
    bool PlayExclusive(std::span<const std::uint8_t> message);
    bool AllNotesOff();
    // Interleaved left/right samples for frames.size() / 2 frames.
    void Render(std::span<std::int16_t> frames);

    fluid_settings_t* Settings() const { return settings_; }
    fluid_synth_t* Synth() const { return synth_; }

private:
    FluidSynthEngine() = default;

    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
};

}  // namespace zamrit
