#pragma once

#include <array>
#include <cstdint>

namespace zamrit {

// Whole beats per minute of a tempo in microseconds per quarter note (500000 gives 120).
// A tempo under one millisecond per quarter note is reported as GENE01000012 and counts as one
// millisecond, the fastest this form can state: 60000 beats per minute.
std::int32_t TempoToBpm(std::int32_t microsecondsPerQuarter);

// Ticks of one measure of a time signature (numerator × 256 + denominator) at the given
// ticks per quarter note: 4 / denominator × numerator × ticks per quarter, truncated. 384
// (a 4/4 measure at 96) when there is no signature or time base, or when the signature gives
// no measure a whole positive length that fits 32 bits (a denominator of 0 among them).
inline constexpr std::int32_t kDefaultMeasureLength = 384;
std::int32_t MeasureTicks(std::int32_t timeSignature, std::int32_t ticksPerQuarter);

// The four data bytes of a MIDI time-signature meta event for numerator × 256 + denominator:
// numerator, the denominator's power of two (rounded down), 18 MIDI clocks per click and
// 8 thirty-second notes per quarter. The event's data length is always 4. A denominator
// below 2 gives 0 as its power.
std::array<std::uint8_t, 4> MakeTimeSignatureData(std::int32_t packed);

}  // namespace zamrit
