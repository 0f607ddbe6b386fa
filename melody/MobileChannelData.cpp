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
    for (const auto& event : source.events_) {
        tick += event->delta;
        if (startTick <= tick && tick < endTick) {
            MusicEvent& copy = range->AppendNew();
            copy.CopyFrom(*event);
            placeFirst(copy);
            if (event->duration + tick >= endTick) copy.duration = ClampToInt32(endTick - tick);
        } else if (tick == endTick && tick >= startTick && event->IsCommand(kTrackEnd)) {
            MusicEvent& copy = range->AppendNew();
            copy.CopyFrom(*event);
            placeFirst(copy);
        } else if (event->kind == kNoteEvent || tick > endTick) {
            continue;
        } else {
            range->AppendCopyAt(0, *event);
        }
    }
    if (!range->HasTrackEnd()) range->AppendTrackEnd();
    return range;
}

void MobileChannelData::CopyFrom(const MobileChannelData& other) {
    channelType = other.channelType;
    index = other.index;
    enabled = other.enabled;
    events_.clear();
    events_.reserve(other.events_.size());
    for (const auto& event : other.events_) AppendCopy(*event);
}

MusicEvent& MobileChannelData::AppendNew() {
    return *events_.emplace_back(std::make_unique<MusicEvent>());
}

void MobileChannelData::AppendCopy(const MusicEvent& event) { AppendNew().CopyFrom(event); }

void MobileChannelData::AppendCopyAt(std::int32_t delta, const MusicEvent& event) {
    MusicEvent& copy = AppendNew();
    copy.CopyFrom(event);
    copy.delta = delta;
}

std::int32_t MobileChannelData::AppendCommand(std::int32_t delta, std::int32_t code,
                                              std::int32_t value) {
    MusicEvent& command = AppendNew();
    command.delta = delta;
    command.kind = kCommandEvent;
    command.code = code;
    command.value = value;
    return count();
}

void MobileChannelData::AppendTrackEnd() { AppendCommand(0, kTrackEnd, 0); }

bool MobileChannelData::HasTrackEnd() const {
    for (const auto& event : events_) {
        if (event->IsCommand(kTrackEnd)) return true;
    }
    return false;
}

std::int32_t MobileChannelData::LengthInUnits(std::int32_t unit) const {
    if (unit <= 0) return 0;
    std::int64_t tick = 0;
    std::int64_t lastNoteTick = unit;
    std::int64_t lastNoteDuration = unit;
    for (const auto& event : events_) {
        tick += event->delta;
        if (event->kind == kNoteEvent) {
            lastNoteTick = tick;
            lastNoteDuration = event->duration;
        }
    }
    if (tick == lastNoteTick) tick += lastNoteDuration;
    std::int64_t units = tick / unit;
    if (tick % unit != 0) ++units;
    return ClampToInt32(units);
}

}  // namespace zamrit
