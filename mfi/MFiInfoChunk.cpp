#include "mfi/MFiInfoChunk.h"

#include <algorithm>

namespace zamrit {

MFiInfoChunk::MFiInfoChunk(const Id& id, std::string_view text)
    : MFiInfoChunk(id, std::span<const std::uint8_t>(
                           reinterpret_cast<const std::uint8_t*>(text.data()), text.size())) {}

MFiInfoChunk::MFiInfoChunk(const Id& id, std::uint8_t byte) : id(id), length(1) {
    data[0] = byte;
}

MFiInfoChunk::MFiInfoChunk(const Id& id, std::span<const std::uint8_t> bytes)
    : id(id), length(static_cast<std::uint32_t>(std::min(bytes.size(), kDataSize))) {
    std::copy_n(bytes.begin(), length, data.begin());
}

MFiInfoChunk::MFiInfoChunk(const Id& id, const MFiBytes& bytes, std::size_t size)
    : id(id), length(static_cast<std::uint32_t>(std::min(size, kDataSize))) {
    for (std::size_t i = 0; i < length; ++i) data[i] = bytes.At(i);
}

bool MFiInfoChunk::HoldsText(std::string_view text) const {
    const auto* chars = reinterpret_cast<const char*>(data.data());
    const std::size_t textLength =
        std::find(data.begin(), data.end(), std::uint8_t{0}) - data.begin();
    return std::string_view(chars, textLength) == text;
}

}  // namespace zamrit
