#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zamrit {

// A read-only view of part of an MFi file image. The view covers `size` bytes of the file
// buffer, of which the first ones were loaded from the file; the rest read as zero, as in a
// zero-filled buffer. Nothing is ever read past the view: every offset is checked, and an
// offset at or past its end also reads as zero.
class MFiBytes {
public:
    MFiBytes() = default;
    MFiBytes(std::span<const std::uint8_t> loaded, std::size_t size);

    std::uint8_t At(std::size_t offset) const {
        return offset < loaded_.size() ? loaded_[offset] : 0;
    }
    // Big-endian numbers, as every MFi number is stored.
    std::uint32_t BigEndian16(std::size_t offset) const;
    std::uint32_t BigEndian32(std::size_t offset) const;
    std::array<std::uint8_t, 4> IdAt(std::size_t offset) const;
    // Whether the bytes from `offset` on are `pattern`.
    bool Matches(std::size_t offset, std::span<const std::uint8_t> pattern) const;
    bool MatchesText(std::size_t offset, std::string_view text) const;

    // The view from `offset` to the end; empty when `offset` lies at or past the end.
    MFiBytes From(std::size_t offset) const;
    // The first `length` bytes of the view (all of it when it is shorter).
    MFiBytes First(std::size_t length) const;

    std::size_t size() const { return size_; }
    // How many bytes from the start of the view were loaded; every byte from here on reads as 0.
    std::size_t LoadedSize() const { return loaded_.size(); }

private:
    std::span<const std::uint8_t> loaded_;
    std::size_t size_ = 0;
};

}  // namespace zamrit
