#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace zamrit {

// Byte helpers of the MFi writer: MFi numbers are big-endian, ids are four ASCII bytes.

inline void AppendBigEndian16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

inline void AppendBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    AppendBigEndian16(out, static_cast<std::uint16_t>(value >> 16));
    AppendBigEndian16(out, static_cast<std::uint16_t>(value));
}

// The first four characters of `id`, padded with blanks.
inline void AppendId(std::vector<std::uint8_t>& out, std::string_view id) {
    for (std::size_t i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(i < id.size() ? id[i] : ' '));
    }
}

}  // namespace zamrit
