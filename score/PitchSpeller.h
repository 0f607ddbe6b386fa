#pragma once

#include <cstdint>

#include "score/Notation.h"

namespace zamrit::score {

// Names MIDI keys in a major key: the key's own tones by their letters; the other five pitch
// classes as the raised first, second, fourth and fifth degrees and the lowered seventh, the
// way secondary dominants and the mixolydian seventh are spelled.
class PitchSpeller {
public:
    static Pitch Spell(std::int32_t midiKey, std::int32_t keyFifths);
    static std::int32_t MidiKey(const Pitch& pitch);
    // The alteration the key signature gives a letter.
    static std::int32_t KeyAlter(std::int32_t step, std::int32_t keyFifths);
};

}  // namespace zamrit::score
