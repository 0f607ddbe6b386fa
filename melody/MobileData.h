#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "melody/MobileChannelData.h"
#include "melody/MobileTrackData.h"
#include "melody/MusicConversions.h"

namespace zamrit {

class MidiF0Data;

// A mobile melody in the form in which it is measured and played: every track split into
// four one-channel lists, with the melody-wide time base, tempo and time signature.
class MobileData {
public:
    static constexpr std::int32_t kMaxChannelLists = 256;
    static constexpr std::int32_t kListsPerTrack = 4;
    static constexpr std::int32_t kListCapacity = 0x60000;
    static constexpr std::int32_t kDefaultMeasureLength = zamrit::kDefaultMeasureLength;

    explicit MobileData(std::int32_t capacity);

    // Appends four lists: list c takes the track's channel-c events and a copy of every
    // event of no channel. A track that would need lists past the 256th is reported
    // (MBDT05000003) and left out; an event of another channel is reported (MBDT05000002)
    // and dropped.
    void AddTrack(const MobileTrackData& track);

    // Ticks per measure: 384 without a usable time signature or time base.
    std::int32_t MeasureLength() const;
    // Measures of the longest list, rounded up; 0 without lists.
    std::int32_t MeasureCount() const;

    // The playable sequence of the ticks startTick to endTick: every enabled list cut to the
    // range, the cuts merged one per MIDI channel, converted, brought to 96 ticks per quarter
    // note, finalised and trimmed of silent leading measures (their ticks in *trimmedTicks
    // when given). A seventeenth enabled list is reported (MBDT05000005) and gives nothing.
    // The melody is not changed. Defined in MobileDataSequence.cpp.
    std::unique_ptr<MidiF0Data> MakeSequence(std::int32_t startTick, std::int32_t endTick,
                                             std::int32_t* trimmedTicks = nullptr) const;

    // Plays the ticks startTick to endTick: the sequence MakeSequence builds goes to the
    // player, which plays it on its worker thread and calls `completion` there once the
    // playback is over. Returns at once; the melody may go as soon as it has returned. A
    // seventeenth enabled list plays nothing and calls nobody. Defined with the player, in
    // midiout/MobileDataPlay.cpp.
    void Play(std::function<int()> completion, std::int32_t startTick, std::int32_t endTick) const;

    const MobileChannelData& Channel(std::int32_t index) const { return *channels[index]; }

    static void ReportError(ErrorCode code);

    const std::int32_t capacity;
    std::int32_t channelCount = 0;
    std::int32_t timeBase = 0;
    std::int32_t tempo = 500000;
    std::array<std::unique_ptr<MobileChannelData>, kMaxChannelLists> channels;
    std::string title = "Untitled";
    std::string copyright = "No Copyright Info";
    std::int32_t timeSignature = 0;
};

}  // namespace zamrit
