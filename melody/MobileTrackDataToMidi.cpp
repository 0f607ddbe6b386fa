// The conversion of a merged mobile track into the event list of a single-track MIDI sequence.
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "melody/MidiEventKind.h"
#include "melody/MobileCommand.h"
#include "melody/MobileTrackData.h"
#include "midiseq/MidiF0Data.h"

namespace zamrit {
namespace {

constexpr std::int32_t kMidiChannels = 16;
constexpr std::int32_t kDrumChannel = 9;  // MIDI channel 10

constexpr std::int32_t kVolumeController = 7;
constexpr std::int32_t kPanController = 10;

bool IsMidiChannel(std::int32_t channel) { return channel >= 0 && channel < kMidiChannels; }

bool IsDrumModeOn(const MusicEvent& event) {
    return event.IsCommand(kDrumMode) && event.value == 1;
}

// The channels that drum-mode channels and melodic events of channel 9 may move to: first
// every channel put into drum mode, in the order met, then every channel no event uses.
// The first entry is the spare channel.
std::vector<std::int32_t> SpareChannels(std::span<const MusicEvent> events) {
    std::vector<std::int32_t> spares;
    std::array<bool, kMidiChannels> used{};
    for (const MusicEvent& event : events) {
        if (IsDrumModeOn(event) && IsMidiChannel(event.channel) &&
            std::find(spares.begin(), spares.end(), event.channel) == spares.end()) {
            spares.push_back(event.channel);
        }
    }
    for (const MusicEvent& event : events) {
        if (event.channel == MusicEvent::kNoChannel) continue;
        if (IsMidiChannel(event.channel)) {
            used[event.channel] = true;
        } else {
            MobileTrackData::ReportError(0x0C000006);
        }
    }
    for (std::int32_t channel = 0; channel < kMidiChannels; ++channel) {
        if (!used[channel]) spares.push_back(channel);
    }
    return spares;
}

// The drum state of each mobile channel as the walk passes its commands.
struct DrumState {
    std::array<bool, kMidiChannels> drumMode{};
    std::array<std::optional<std::int32_t>, kMidiChannels> drumKey{};

    bool InDrumMode(std::int32_t channel) const {
        return IsMidiChannel(channel) && drumMode[channel];
    }
};

// The MIDI kind of a command, updating the drum state; kEmptyEvent for a command that plays
// nothing.
std::int32_t ConvertCommand(const MusicEvent& command, MusicEvent& converted, DrumState& drums) {
    const std::int32_t channel = command.channel;
    switch (command.code) {
    case kVoice:
        if (!drums.InDrumMode(channel)) return kMidiProgramChange;
        drums.drumKey[channel] = command.value;  // the drum the channel's notes play
        return kEmptyEvent;
    case kDrumMode:
        if (IsMidiChannel(channel)) drums.drumMode[channel] = command.value == 1;
        return kEmptyEvent;
    case kVolume:
        converted.code = kVolumeController;
        return kMidiControlChange;
    case kPan:
        converted.code = kPanController;
        return kMidiControlChange;
    case kTempo:
        converted.code = MidiTrackData::kSetTempo;
        return kMidiMeta;
    case kTrackEnd:
        converted.code = MidiTrackData::kEndOfTrack;
        return kMidiMeta;
    case kPitchBend:
        return kMidiPitchBend;
    default:
        MobileTrackData::ReportError(0x0C000001);
        return kEmptyEvent;
    }
}

}  // namespace

void MobileTrackData::ConvertToMidi(MidiF0Data& sequence, std::int32_t timeBase,
                                    std::int32_t timeSignature, std::int32_t tempo) const {
    MidiTrackData& track = *sequence.track;
    sequence.division = timeBase;
    sequence.timeSignature = timeSignature;

    const std::vector<std::int32_t> spares = SpareChannels(Events());
    track.AppendTempo(tempo);

    DrumState drums;
    for (const MusicEvent& event : events_) {
        const std::int32_t channel = event.channel;
        MusicEvent converted(event.delta);
        converted.code = event.code;
        converted.SetData(event.DataBytes());
        converted.duration = event.duration;
        converted.key = event.key;
        converted.value = event.value;
        converted.velocity = event.velocity;

        // Events that would not be played keep only their time.
        bool silenced = false;
        if (channel == MusicEvent::kNoChannel) {
            converted.channel = MusicEvent::kNoChannel;
        } else if (!IsMidiChannel(channel)) {
            silenced = true;  // reported above; no MIDI channel to play it on
        } else if (drums.drumMode[channel]) {
            converted.channel = kDrumChannel;
            if (event.kind == kNoteEvent && drums.drumKey[channel]) {
                converted.key = *drums.drumKey[channel];
            }
        } else if (channel == kDrumChannel) {
            if (spares.empty()) {
                ReportOnce(0x0C000004);
                silenced = true;
            } else {
                converted.channel = spares.front();
            }
        } else {
            converted.channel = channel;
        }

        const bool masterVolume = event.IsCommand(kMasterVolume);
        if (masterVolume && !silenced) {
            // Goes to the very front; the command's own time is dropped.
            track.InsertMasterVolume(event.value, 0);
            continue;
        }
        std::int32_t kind = kEmptyEvent;
        if (masterVolume) {
            kind = kEmptyEvent;
        } else if (event.kind == kNoteEvent) {
            kind = kNoteEvent;
        } else if (event.kind == kCommandEvent) {
            kind = ConvertCommand(event, converted, drums);
        } else if (event.kind != kEmptyEvent) {
            ReportError(0x0C000002);
        }
        converted.kind = silenced ? kEmptyEvent : kind;
        track.Append(std::move(converted));
    }

    track.Purge();
    track.AppendEndOfTrack(0);
    track.state = MidiTrackData::kStateUnderConstruction;
    sequence.state = MidiF0Data::kStateUnderConstruction;
}

}  // namespace zamrit
