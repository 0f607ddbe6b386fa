#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "melody/MobileData.h"
#include "mfi/MFiData.h"
#include "platform/MessageSink.h"

namespace zamrit::fuzz {

// Zeros after the input, so that every read past the loaded bytes is still tried.
inline constexpr std::size_t kZeroMargin = 64;

// The buffer an input is read into: the input and the margin, at most a file buffer of the game.
inline std::uint32_t BufferSizeFor(std::size_t inputSize) {
    return static_cast<std::uint32_t>(std::min<std::size_t>(inputSize + kZeroMargin, MFiData::kFileCapacity));
}

// The melody of an input, read as a file of voice type 4 the way the game reads a measure.
inline void LoadMelody(const std::uint8_t* data, std::size_t size, MobileData& melody) {
    const MFiData loaded(std::span<const std::uint8_t>(data, size), 4, BufferSizeFor(size));
    loaded.ToMobileData(melody);
}

// Counts the reports of a run and drops them.
class DiscardingSink final : public MessageSink {
public:
    void Show(const std::string&) override { ++lines; }
    std::size_t lines = 0;
};

}  // namespace zamrit::fuzz
