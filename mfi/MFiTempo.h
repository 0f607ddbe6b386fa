#pragma once

#include <array>
#include <cstdint>

namespace zamrit {

// Tempo commands 0xC0-0xCF: the low four bits of the command give the time base (ticks per
// quarter note), the parameter byte the tempo in beats per minute.
inline constexpr std::array<std::int32_t, 16> kTempoTimeBases{
    6, 12, 24, 48, 96, 192, 384, 96, 15, 30, 60, 120, 240, 480, 960, 96};

constexpr std::int32_t TempoTimeBase(std::uint8_t command) {
    return kTempoTimeBases[command & 0x0F];
}

// Microseconds per quarter note of a tempo in beats per minute (never 0: a tempo byte of 0
// has no meaning, and the readers keep it out).
constexpr std::int32_t MicrosecondsPerQuarter(std::uint8_t beatsPerMinute) {
    return 60'000'000 / beatsPerMinute;
}

}  // namespace zamrit
