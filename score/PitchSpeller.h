#pragma once

#include <cstdint>

#include "score/Notation.h"

namespace zamrit::score {

// Names MIDI keys in a major key: the key's own tones by their letters; the other five pitch
// classes as the raised first, second, fourth and fifth degrees and the lowered seventh, the
// way secondary dominants and the mixolydian seventh are spelled.
//
// The written range is C0 (key 12) to B9 (key 131): the octaves 0 to 9, all MusicXML names.
// A key of the range that the key's own spelling would put in the octave beyond (B#-1 for C0
// in F# major) is named as C major names it instead (C0).
class PitchSpeller {
public:
    static constexpr std::int32_t kLowestKey = 12;
    static constexpr std::int32_t kHighestKey = 131;

    static bool Writable(std::int32_t midiKey) { return midiKey >= kLowestKey && midiKey <= kHighestKey; }
    static Pitch Spell(std::int32_t midiKey, std::int32_t keyFifths);
    static std::int32_t MidiKey(const Pitch& pitch);
    // The alteration the key signature gives a letter.
    static std::int32_t KeyAlter(std::int32_t step, std::int32_t keyFifths);
};

}  // namespace zamrit::score
