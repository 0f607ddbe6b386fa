#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "mfi/MFiBytes.h"
#include "mfi/MFiTrack.h"

namespace zamrit {

// Reads the single event stream of voice types 250 and 254 into four tracks. Every channel
// number the stream uses takes one of sixteen slots, slot s being channel s mod 4 of track
// s / 4; drum notes always go to slot 9. Each track keeps the ticks since its own last
// event, so every event keeps its time when the one stream is split into four lists.
class MFiEventStream {
public:
    static constexpr std::int32_t kSlotCount = 16;
    static constexpr std::int32_t kTrackCount = 4;
    static constexpr std::int32_t kNoSlot = -1;

    explicit MFiEventStream(std::span<const std::unique_ptr<MFiTrack>, kTrackCount> tracks);

    // Reads the 4-byte events after the first 8 bytes of `stream`, which holds
    // `streamLength` bytes; an event cut off at the end reads its missing bytes as zero.
    void Read(const MFiBytes& stream, std::int64_t streamLength);

    // The slot of `channel` (and of `drumKey` on the drum channel 9), taking the next free
    // slot when it has none; kNoSlot when all sixteen are taken by others.
    std::int32_t FindSlot(std::int32_t channel, std::int32_t drumKey);

    std::int32_t slotCount() const { return slotCount_; }

private:
    struct Slot {
        std::int32_t channel = -1;
        std::int32_t drumKey = -1;
    };

    void ReadCommand(std::uint8_t command, std::uint8_t parameter);
    void ReadNote(std::uint8_t status, std::uint8_t gate, std::uint8_t last);
    // The slot of the channel a command names, reported (MFDT2000000B) when there is none.
    std::int32_t CommandSlot(std::int32_t channel);
    MobileTrackData& TrackOfSlot(std::int32_t slot) const;
    // The delta that an event emitted to `track` gets; the track's count starts again.
    std::int32_t TakeDelta(std::int32_t track);

    std::span<const std::unique_ptr<MFiTrack>, kTrackCount> tracks_;
    std::array<Slot, kSlotCount> slots_{};
    std::int32_t slotCount_ = 0;
    std::array<std::int64_t, kTrackCount> pendingDeltas_{};
    std::array<std::int32_t, 4> channelMap_{0, 1, 2, 3};
    std::array<std::int32_t, MFiTrack::kChannelCount> banks_{};
};

}  // namespace zamrit
