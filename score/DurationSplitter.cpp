#include "score/DurationSplitter.h"

#include <array>

#include "score/Notation.h"

namespace zamrit::score {
namespace {

constexpr std::int32_t kBeat = kTicksPerQuarter;

// Every value a single note can have, longest first: plain and dotted, down to the 64th.
constexpr std::array<std::int32_t, 14> kSoundValues{576, 384, 288, 192, 144, 96, 72,
                                                    48,  36,  24,  18,  12,  9,   6};
constexpr std::array<std::int32_t, 7> kRestValues{384, 192, 96, 48, 24, 12, 6};

std::int32_t NextBeat(std::int32_t position) { return (position / kBeat + 1) * kBeat; }

bool FitsSound(std::int32_t position, std::int32_t value) {
    if (position % kBeat != 0) return position + value <= NextBeat(position);
    return value <= kBeat || value % kBeat == 0 || value == kBeat * 3 / 2;
}

bool FitsRest(std::int32_t position, std::int32_t value) {
    if (position % value != 0) return false;
    if (position % kBeat != 0) return position + value <= NextBeat(position);
    return value <= kBeat || value % kBeat == 0;
}

template <std::size_t N>
std::vector<std::int32_t> Split(std::int32_t start, std::int32_t length,
                                const std::array<std::int32_t, N>& values,
                                bool (*fits)(std::int32_t, std::int32_t)) {
    std::vector<std::int32_t> parts;
    std::int32_t position = start;
    std::int32_t left = length;
    while (left > 0) {
        std::int32_t chosen = 0;
        for (const std::int32_t value : values) {
            if (value <= left && fits(position, value)) {
                chosen = value;
                break;
            }
        }
        // Off the 64th grid nothing fits: the remainder is written as it is, so that the values
        // still add up to the stretch.
        if (chosen == 0) chosen = left;
        parts.push_back(chosen);
        position += chosen;
        left -= chosen;
    }
    return parts;
}

}  // namespace

std::vector<std::int32_t> DurationSplitter::Sound(std::int32_t start, std::int32_t length) {
    return Split(start, length, kSoundValues, FitsSound);
}

std::vector<std::int32_t> DurationSplitter::Silence(std::int32_t start, std::int32_t length) {
    return Split(start, length, kRestValues, FitsRest);
}

}  // namespace zamrit::score
