#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "melody/EventList.h"
#include "melody/MusicEvent.h"

namespace zamrit {

// The events of one channel of a mobile melody, in order, each `delta` relative to the event
// before it. The list can be copied, cut to a range of ticks and measured in whole units.
//
// It holds at most EventList::kCapacity events and drops an append past that silently: its
// lists are cut from a track's, which holds no more, so they do not reach it in practice.
class MobileChannelData {
public:
    static constexpr std::int32_t kUnset = 0;
    static constexpr std::int32_t kDrum = 1;
    static constexpr std::int32_t kMelody = 2;

    MobileChannelData(std::int32_t index, std::int32_t channelType, std::int32_t capacity);

    // The part of `source` from startTick up to, not including, endTick, timed from startTick.
    // Commands before the range are gathered at its start, notes are cut at its end, and the
    // result always ends with a track end.
    static std::unique_ptr<MobileChannelData> Extract(const MobileChannelData& source,
                                                      std::int32_t startTick,
                                                      std::int32_t endTick,
                                                      std::int32_t capacity);

    // Takes the type, index, enabled flag and a deep copy of every event of `other`.
    void CopyFrom(const MobileChannelData& other);

    void AppendCopy(const MusicEvent& event);
    void AppendCopyAt(std::int32_t delta, const MusicEvent& event);
    std::int32_t AppendCommand(std::int32_t delta, std::int32_t code, std::int32_t value);
    void AppendTrackEnd();
    bool HasTrackEnd() const;

    // The list's length in whole units, rounded up. A note starting at the very end adds its
    // duration; a list without notes counts as if a note of one unit started at tick `unit`.
    std::int32_t LengthInUnits(std::int32_t unit) const;

    std::int32_t count() const { return events_.count(); }
    const MusicEvent& At(std::int32_t position) const { return events_[position]; }
    MusicEvent& At(std::int32_t position) { return events_[position]; }
    std::span<const MusicEvent> Events() const { return events_.Events(); }
    std::span<MusicEvent> Events() { return events_.Events(); }

    const std::int32_t capacity;
    std::int32_t index;
    std::int32_t channelType;
    std::int32_t enabled = 1;

private:
    EventList events_;
};

}  // namespace zamrit
