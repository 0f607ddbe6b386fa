#pragma once

#include <cstdint>
#include <span>

#include "melody/Block.h"
#include "melody/ErrorReporting.h"

namespace zamrit {

// The one event record of every event list. Mobile kinds: 0 empty (keeps its time, plays
// nothing), 0x10 note with a duration, 0xFF command. MIDI kinds: 0x80 note off, 0x90 note on,
// 0xB0 control change, 0xC0 program change, 0xE0 pitch bend, 0xF0/0xF7 exclusive, 0xFF meta.
//
// Lists of one channel ignore `channel`; the multi-channel lists keep the event's channel
// there (0 to 15, kNoChannel for an event of no channel).
class MusicEvent {
public:
    // The most events a track's list holds, mobile or MIDI: an event past it is reported by
    // the list and left out.
    static constexpr std::int32_t kListCapacity = 0x20000;

    static constexpr std::int32_t kNoChannel = 255;
    static constexpr std::size_t kLargeDataLength = 256;

    MusicEvent() = default;
    explicit MusicEvent(std::int32_t delta) : delta(delta) {}

    // Releases the data bytes; `dataLength` keeps its value.
    void FreeData() { FreeBlock(data); }

    // The data bytes, or nullptr when the event has none.
    const std::uint8_t* GetData() const { return data.empty() ? nullptr : data.data(); }
    std::span<const std::uint8_t> DataBytes() const;

    // Stores a copy of `bytes` (the old data is replaced); an empty span changes nothing.
    // More than 256 bytes are stored all the same and reported with MUEV06000001.
    void SetData(std::span<const std::uint8_t> bytes);

    // Deep copy of every field but the channel.
    void CopyFrom(const MusicEvent& other);

    // A kind-0xFF event with this code: a mobile command, or a MIDI meta event of this type.
    bool IsCommand(std::int32_t commandCode) const { return kind == 0xFF && code == commandCode; }

    static void ReportError(ErrorCode code);

    std::int32_t kind = 0;
    std::int32_t delta = 0;
    std::int32_t key = 0;
    std::int32_t duration = 0;
    std::int32_t velocity = 0;
    std::int32_t code = 0;
    std::int32_t value = 0;
    std::int32_t dataLength = 0;
    Block data;  // dataLength + 8 bytes, zero past the data; empty when the event has none
    std::int32_t channel = kNoChannel;
};

}  // namespace zamrit
