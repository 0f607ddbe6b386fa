#include "melody/MobileChannelData.h"

#include "melody/MobileCommand.h"
#include "melody/TickMath.h"

namespace zamrit {

MobileChannelData::MobileChannelData(std::int32_t index, std::int32_t channelType,
                                     std::int32_t capacity)
    : capacity(capacity), index(index), channelType(channelType) {}

std::unique_ptr<MobileChannelData> MobileChannelData::Extract(const MobileChannelData& source,
                                                              std::int32_t startTick,
                                                              std::int32_t endTick,
                                                              std::int32_t capacity) {
    auto range = std::make_unique<MobileChannelData>(source.index, source.channelType, capacity);
    range->enabled = source.enabled;
    std::int64_t tick = 0;
    bool firstPlaced = false;
    auto placeFirst = [&](MusicEvent& copy) {
        if (firstPlaced) return;
        copy.delta = ClampToInt32(tick - startTick);
        firstPlaced = true;
    };
    for (const MusicEvent& event : source.events_) {
        tick += event.delta;
        if (startTick <= tick && tick < endTick) {
            MusicEvent copy;
            copy.CopyFrom(event);
            placeFirst(copy);
            if (event.duration + tick >= endTick) copy.duration = ClampToInt32(endTick - tick);
            range->events_.Append(std::move(copy));
        } else if (tick == endTick && tick >= startTick && event.IsCommand(kTrackEnd)) {
            MusicEvent copy;
            copy.CopyFrom(event);
            placeFirst(copy);
            range->events_.Append(std::move(copy));
        } else if (event.kind == kNoteEvent || tick > endTick) {
            continue;
        } else {
            range->AppendCopyAt(0, event);
        }
    }
    if (!range->HasTrackEnd()) range->AppendTrackEnd();
    return range;
}

void MobileChannelData::CopyFrom(const MobileChannelData& other) {
    channelType = other.channelType;
    index = other.index;
    enabled = other.enabled;
    events_.Clear();
    events_.Reserve(other.events_.Events().size());
    for (const MusicEvent& event : other.events_) AppendCopy(event);
}

// The copy is made before it is stored, so `event` may be one of this list's own events.
void MobileChannelData::AppendCopy(const MusicEvent& event) {
    MusicEvent copy;
    copy.CopyFrom(event);
    events_.Append(std::move(copy));
}

void MobileChannelData::AppendCopyAt(std::int32_t delta, const MusicEvent& event) {
    MusicEvent copy;
    copy.CopyFrom(event);
    copy.delta = delta;
    events_.Append(std::move(copy));
}

std::int32_t MobileChannelData::AppendCommand(std::int32_t delta, std::int32_t code,
                                              std::int32_t value) {
    MusicEvent command(delta);
    command.kind = kCommandEvent;
    command.code = code;
    command.value = value;
    events_.Append(std::move(command));
    return count();
}

void MobileChannelData::AppendTrackEnd() { AppendCommand(0, kTrackEnd, 0); }

bool MobileChannelData::HasTrackEnd() const {
    for (const MusicEvent& event : events_) {
        if (event.IsCommand(kTrackEnd)) return true;
    }
    return false;
}

std::int32_t MobileChannelData::LengthInUnits(std::int32_t unit) const {
    if (unit <= 0) return 0;
    std::int64_t tick = 0;
    std::int64_t lastNoteTick = unit;
    std::int64_t lastNoteDuration = unit;
    for (const MusicEvent& event : events_) {
        tick += event.delta;
        if (event.kind == kNoteEvent) {
            lastNoteTick = tick;
            lastNoteDuration = event.duration;
        }
    }
    if (tick == lastNoteTick) tick += lastNoteDuration;
    std::int64_t units = tick / unit;
    if (tick % unit != 0) ++units;
    return ClampToInt32(units);
}

}  // namespace zamrit
