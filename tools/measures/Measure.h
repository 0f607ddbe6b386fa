#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace zamrit::measures {

// One note of a measure, in ticks of the measure's own time base and MIDI key numbers.
struct NoteSpan {
    std::int32_t start;
    std::int32_t length;  // until the next note of the voice (the gate may be shorter)
    std::int32_t gate;
    std::int32_t key;
    std::int32_t velocity;  // 0-63, as a measure file stores it

    bool operator==(const NoteSpan&) const = default;
};
using NoteLine = std::vector<NoteSpan>;

// The three voices of a measure: melody (channel 0), bass (1) and inner voice (2). Each voice
// is one line of notes that never overlap.
struct Measure {
    static constexpr std::int32_t kVoices = 3;
    static constexpr std::size_t kMelody = 0;
    static constexpr std::size_t kBass = 1;
    static constexpr std::size_t kInner = 2;
    std::array<NoteLine, kVoices> voices;

    bool operator==(const Measure&) const = default;
};

// The tones every measure of a bar starts from: bass, inner voice and melody on the downbeat.
struct Skeleton {
    std::int32_t bass;
    std::int32_t inner;
    std::int32_t melody;
};

}  // namespace zamrit::measures
