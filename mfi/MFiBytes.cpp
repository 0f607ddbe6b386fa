#include "mfi/MFiBytes.h"

#include <algorithm>

namespace zamrit {

MFiBytes::MFiBytes(std::span<const std::uint8_t> loaded, std::size_t size)
    : loaded_(loaded.first(std::min(loaded.size(), size))), size_(size) {}

std::uint32_t MFiBytes::BigEndian16(std::size_t offset) const {
    return (std::uint32_t{At(offset)} << 8) | At(offset + 1);
}

std::uint32_t MFiBytes::BigEndian32(std::size_t offset) const {
    return (BigEndian16(offset) << 16) | BigEndian16(offset + 2);
}

std::array<std::uint8_t, 4> MFiBytes::IdAt(std::size_t offset) const {
    return {At(offset), At(offset + 1), At(offset + 2), At(offset + 3)};
}

bool MFiBytes::Matches(std::size_t offset, std::span<const std::uint8_t> pattern) const {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (At(offset + i) != pattern[i]) return false;
    }
    return true;
}

bool MFiBytes::MatchesText(std::size_t offset, std::string_view text) const {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (At(offset + i) != static_cast<std::uint8_t>(text[i])) return false;
    }
    return true;
}

MFiBytes MFiBytes::From(std::size_t offset) const {
    if (offset >= size_) return {};
    return MFiBytes(loaded_.subspan(std::min(offset, loaded_.size())), size_ - offset);
}

MFiBytes MFiBytes::First(std::size_t length) const {
    return MFiBytes(loaded_, std::min(length, size_));
}

}  // namespace zamrit
