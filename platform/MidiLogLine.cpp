#include "platform/MidiLogLine.h"

namespace zamrit {

std::string FormatMidiLogLine(std::int64_t microseconds, std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line = std::to_string(microseconds);
    line.reserve(line.size() + bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        line.push_back(' ');
        line.push_back(kHex[byte >> 4]);
        line.push_back(kHex[byte & 0x0F]);
    }
    return line;
}

std::string FormatMidiLogLine(std::int64_t microseconds, std::string_view word) {
    return std::to_string(microseconds).append(" ").append(word);
}

}  // namespace zamrit
