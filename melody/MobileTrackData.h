#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "melody/EventList.h"
#include "melody/MobileChannelData.h"
#include "melody/MusicEvent.h"

namespace zamrit {

class MidiF0Data;

// The events of a multi-channel mobile-melody track, in order, each `delta` relative to the
// event before it and each carrying its channel (0 to 15, or MusicEvent::kNoChannel).
// The list holds at most kEventLimit events: an append or insert past it is reported with
// MBTK0C000008 and the event is dropped.
class MobileTrackData {
public:
    static constexpr std::int32_t kEventLimit = MusicEvent::kListCapacity;
    static constexpr std::int32_t kPlayableChannels = 16;

    explicit MobileTrackData(std::int32_t capacity);

    // Merges the lists by time, list i becoming channel i; a null entry gives its channel no
    // events. At equal ticks lower channels come first. An empty result holds one track end.
    MobileTrackData(std::span<const MobileChannelData* const> lists, std::int32_t capacity);

    MobileTrackData(const MobileTrackData&) = delete;
    MobileTrackData& operator=(const MobileTrackData&) = delete;

    void AppendEmpty(std::int32_t delta);
    void AppendCommand(std::int32_t delta, std::int32_t channel, std::int32_t code,
                       std::int32_t value);
    void AppendNote(std::int32_t delta, std::int32_t channel, std::int32_t key,
                    std::int32_t duration, std::int32_t velocity);
    // A copy of a one-channel event; it gets `channel` if it is a channel event, else none.
    void AppendWithChannel(std::int32_t channel, const MusicEvent& event);
    // A copy of an event of a multi-channel list, channel included.
    void AppendCopy(const MusicEvent& event);

    static bool IsChannelEvent(const MusicEvent& event);

    // Fills the track of an empty sequence under construction with this list turned into
    // MIDI: the tempo first, commands as channel messages and meta events, channels in drum
    // mode moved to channel 9 and the melodic events of channel 9 to the spare channel, the
    // master volume as an exclusive at the front, the end of track last. The list is only
    // read. Defined in MobileTrackDataToMidi.cpp.
    void ConvertToMidi(MidiF0Data& sequence, std::int32_t timeBase, std::int32_t timeSignature,
                       std::int32_t tempo) const;

    // Merges one channel's events into the list by time; at equal ticks the events already
    // in the list come first. Of several track ends met on the way only the last stays one.
    void Merge(std::int32_t channel, std::span<const MusicEvent> events);

    // Removes the event at `position`, handing its delta to the event after it.
    void RemoveAt(std::int32_t position);
    // Removes every empty event.
    void Purge();
    // Inserts before `position` when mode is 2, else after it.
    void InsertAt(std::int32_t position, std::int32_t mode, MusicEvent event);

    std::int32_t count() const { return events_.count(); }
    const MusicEvent& At(std::int32_t position) const { return events_[position]; }
    MusicEvent& At(std::int32_t position) { return events_[position]; }
    std::span<const MusicEvent> Events() const { return events_.Events(); }
    std::span<MusicEvent> Events() { return events_.Events(); }

    static void ReportError(ErrorCode code);
    static void ReportOnce(ErrorCode code);

    // The channel type of the list that became channel n in the construction from lists.
    std::array<std::int32_t, 256> channelTypes{};

private:
    // Stores the event at the end; at the limit it is reported and dropped.
    void Append(MusicEvent event);
    void AppendWithChannelAt(std::int32_t channel, const MusicEvent& event, std::int32_t delta);
    // Merge, taking turns with `spare` for the storage: the old events are moved there and
    // the list fills the spare's storage, so a run of merges with one spare allocates once.
    void Merge(std::int32_t channel, std::span<const MusicEvent> events, EventList& spare);

    EventList events_;
};

}  // namespace zamrit
