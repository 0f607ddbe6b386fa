#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zamrit {

// A short MIDI message as the output service takes it, packed into 32 bits: status in bits
// 0-7, first data byte in bits 8-15, second in bits 16-23. Unpacked, it is as many bytes as
// its status calls for: program change and channel pressure carry one data byte, the other
// channel messages two.
struct MidiShortMessage {
    std::array<std::uint8_t, 3> bytes{};
    std::size_t size = 0;

    static MidiShortMessage Unpack(std::uint32_t packed) {
        MidiShortMessage message;
        message.bytes = {static_cast<std::uint8_t>(packed), static_cast<std::uint8_t>(packed >> 8),
                         static_cast<std::uint8_t>(packed >> 16)};
        message.size = DataBytesAfter(message.bytes[0]) + 1;
        return message;
    }

    static std::size_t DataBytesAfter(std::uint8_t status) {
        switch (status & 0xF0) {
            case 0xC0:
            case 0xD0: return 1;
            case 0xF0: return status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
            default: return 2;
        }
    }

    std::uint8_t Status() const { return bytes[0]; }
    std::span<const std::uint8_t> Bytes() const { return {bytes.data(), size}; }
};

}  // namespace zamrit
