#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "mfi/MFiBytes.h"

namespace zamrit {

// One information chunk of an MFi file: a four-byte id and up to 256 data bytes, the rest
// of the data field zero, so that a shorter text reads as a zero-terminated string.
class MFiInfoChunk {
public:
    static constexpr std::size_t kDataSize = 256;
    using Id = std::array<std::uint8_t, 4>;

    MFiInfoChunk(const Id& id, std::string_view text);
    MFiInfoChunk(const Id& id, std::uint8_t byte);
    MFiInfoChunk(const Id& id, std::span<const std::uint8_t> bytes);
    // `length` bytes of a file image; only the first 256 of a longer chunk are kept.
    MFiInfoChunk(const Id& id, const MFiBytes& bytes, std::size_t length);

    // The data bytes held.
    std::span<const std::uint8_t> Bytes() const { return {data.data(), length}; }
    // Whether the data, read as a zero-terminated text, is exactly `text`: "0200" holds
    // "0200", "02000" does not.
    bool HoldsText(std::string_view text) const;
    std::string IdText() const { return std::string(id.begin(), id.end()); }

    Id id{};
    std::array<std::uint8_t, kDataSize> data{};
    std::uint32_t length = 0;  // data bytes held, at most 256
};

}  // namespace zamrit
