#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zamrit {

// One line of a MIDI output log: microseconds since the device was opened, then the bytes
// sent in upper-case hex separated by blanks ("1523 90 3C 64"), or a word ("1523 reset").
std::string FormatMidiLogLine(std::int64_t microseconds, std::span<const std::uint8_t> bytes);
std::string FormatMidiLogLine(std::int64_t microseconds, std::string_view word);

}  // namespace zamrit
