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

// The built-in General MIDI synthesizer: FluidSynth with a GM SoundFont, taking MIDI messages
// and rendering 16-bit stereo audio through a small hall's reverberation. The same settings
// serve the outputs that play it through the audio system and that write it to a WAV file.
// FluidSynth's own log is silenced: failures show as a null engine or a false result instead.
class FluidSynthEngine {
public:
    static constexpr int kSampleRate = 44100;
    // FluidSynth's default gain of 0.2 is very quiet for a GM SoundFont; this level keeps a
    // few voices of the dice pieces loud without clipping.
    static constexpr double kGain = 1.2;
    // The room: FluidSynth's reverberator set as a small hall for chamber music, the tail of a
    // minuet's last chord dying away in about 1.1-1.6 s (60 dB, with FluidR3). Chorus stays
    // off: it blurs the strings' intonation.
    static constexpr double kReverbRoomSize = 0.6;
    static constexpr double kReverbDamp = 0.4;
    static constexpr double kReverbWidth = 0.8;
    static constexpr double kReverbLevel = 0.5;

    // The synthesizer with the SoundFont at soundFont; nullptr when the font can not be loaded
    // or the synthesizer can not be made. An .sf2 font is read whole at the load (FluidR3
    // takes about 150 MB): read on demand, each preset's samples would be read when a program
    // change chooses it, on the timer thread, and the first notes of every piece would come
    // some 40 ms late. The samples of an .sf3 font are compressed and many times larger
    // unpacked, so only those of the presets played are read, as they are chosen.
    static std::unique_ptr<FluidSynthEngine> Create(const std::string& soundFont);
    // The best General MIDI SoundFont of the machine (SoundFontFinder); empty when there is none.
    static std::string FindSoundFont();

    FluidSynthEngine(const FluidSynthEngine&) = delete;
    FluidSynthEngine& operator=(const FluidSynthEngine&) = delete;
    ~FluidSynthEngine();

    bool PlayShort(std::uint32_t packed);
    // F0 ... F7 as it goes over the wire.
    bool PlayExclusive(std::span<const std::uint8_t> message);
    bool AllNotesOff();
    // Silences every voice at once and returns every channel and effect to its start, so that
    // the next playback begins as on a fresh synthesizer.
    void Reset();
    // Interleaved left/right samples for frames.size() / 2 frames.
    void Render(std::span<std::int16_t> frames);

    fluid_settings_t* Settings() const { return settings_; }
    fluid_synth_t* Synth() const { return synth_; }

private:
    FluidSynthEngine() = default;
    // Renders the room's tail away, with every voice off, until it is inaudible.
    void DrainRoom();

    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
};

}  // namespace zamrit
