#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/MidiOutService.h"

namespace zamrit {

// The MIDI outputs of this machine, the one place where they are chosen. Device 0 is the
// built-in synthesizer; devices 1 and on are the writable ALSA sequencer ports. The mapper
// (-1) is the output named by the desktop setting ZAMRIT_MIDI_OUT:
//   unset or "synth"   the built-in synthesizer on the desktop's audio output
//   "wav:PATH"         the built-in synthesizer writing its audio to the WAV file PATH
//   "alsa:NAME"        the ALSA port whose name contains NAME (or "alsa:CLIENT:PORT")
//   "log:PATH"         every call written to PATH as a timestamped line
//   "none"             no MIDI output device at all: the device count is 0
// Any other value names no output, so the mapper can not be opened.
class SystemMidiOutService final : public MidiOutService {
public:
    static constexpr const char* kSettingName = "ZAMRIT_MIDI_OUT";

    // The setting is read from the environment at every call, or fixed here when given.
    explicit SystemMidiOutService(std::optional<std::string> setting = std::nullopt);

    // The output chosen in the game's Output menu, in the setting's own form ("synth",
    // "alsa:NAME"): used when ZAMRIT_MIDI_OUT is not set, which always wins.
    void SetChosenOutput(std::string setting);
    // ZAMRIT_MIDI_OUT, when it is set.
    static std::optional<std::string> EnvironmentSetting();
    // The setting in force ("" means the built-in synthesizer).
    std::string Setting() const;
    // Whether the output in force plays the built-in synthesizer (synth or wav:PATH).
    bool UsesBuiltInSynthesizer() const;

    std::uint32_t DeviceCount() override;
    std::unique_ptr<MidiOutput> Open(std::int32_t id) override;
    // Writes to standard error every output tried since the last explanation, why it failed,
    // and how ZAMRIT_MIDI_OUT (or the game's Output menu) chooses another.
    void ExplainOpenFailure() override;
    // The same text, and forgets the outputs tried.
    std::string TakeExplanation();

private:
    std::unique_ptr<MidiOutput> OpenMapper(const std::string& setting);
    std::unique_ptr<MidiOutput> OpenSynth();
    void Failed(const std::string& output, const std::string& why);

    std::optional<std::string> setting_;
    mutable std::mutex mutex_;
    std::string chosen_;
    std::vector<std::string> failures_;
};

// The process-wide system service (the one CurrentMidiOutService gives while no other is
// installed).
SystemMidiOutService& SystemMidiOutputs();

}  // namespace zamrit
