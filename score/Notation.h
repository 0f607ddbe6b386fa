#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zamrit::score {

// All notation is timed in ticks of 96 to the quarter note, the time base the game plays at.
inline constexpr std::int32_t kTicksPerQuarter = 96;

// A written pitch: letter (0 C to 6 B), alteration in semitones (-1 flat, 0, +1 sharp) and the
// octave of the letter (4 for the octave of middle C).
struct Pitch {
    std::int32_t step = 0;
    std::int32_t alter = 0;
    std::int32_t octave = 4;

    bool operator==(const Pitch&) const = default;
};

// One written note, chord or rest of a voice in a bar. `ticks` is a single written value
// (plain or dotted); a sound longer than one value is several elements joined by ties.
struct Element {
    enum class Beam { None, Begin, Continue, End };

    std::int32_t start = 0;  // ticks from the start of the bar
    std::int32_t ticks = 0;
    std::vector<Pitch> pitches;        // empty for a rest
    std::vector<bool> showAccidental;  // per pitch: the key and the bar so far do not cover it
    bool tieToNext = false;            // the sound goes on into the next element
    bool tiedFromPrevious = false;     // continues the sound of the element before
    bool wholeBarRest = false;
    bool staccato = false;             // let go well before the next note of its voice
    std::string words;                 // a direction to the player above the note ("pizz.")
    Beam beam = Beam::None;

    bool IsRest() const { return pitches.empty(); }
};

// One voice in one bar: its elements fill the bar exactly.
struct VoiceBar {
    std::vector<Element> elements;
};

// Where a voice is written in a section: its staff (0 treble, 1 bass) and its place on that
// staff (0 the only voice, 1 upper with stems up, 2 lower with stems down).
struct VoicePlace {
    std::int32_t staff = 0;
    std::int32_t place = 0;

    bool operator==(const VoicePlace&) const = default;
};

// A mark of the whole piece at a point of a bar: a dynamic ("p") or the start or end of a
// hairpin under the treble staff, or a tempo word ("rit.", "a tempo") above it.
struct Mark {
    enum class Kind { Dynamic, Crescendo, Diminuendo, HairpinEnd, TempoWords };

    std::int32_t start = 0;  // ticks from the start of the bar
    Kind kind = Kind::Dynamic;
    std::string text;        // the dynamic or the words

    bool operator==(const Mark&) const = default;
};

struct Bar {
    std::int32_t number = 0;          // the game's numbering
    std::vector<VoiceBar> voices;     // one per Score::channels, in the same order
    std::vector<Mark> marks;          // in order of their starts
};

// A part of the piece with its own label, key and metre. A repeated section is written once,
// between repeat signs.
struct Section {
    std::string label;
    std::int32_t keyFifths = 0;    // sharps (> 0) or flats (< 0) of the major key
    std::int32_t beatsPerBar = 3;  // quarter notes per bar
    bool repeated = false;
    std::vector<VoicePlace> places;  // one per Score::channels
    std::vector<Bar> bars;

    std::int32_t BarTicks() const { return beatsPerBar * kTicksPerQuarter; }
};

struct Score {
    std::string title;
    std::int32_t beatsPerMinute = 120;
    std::vector<std::int32_t> channels;  // the melody list each voice comes from (-1: none)
    std::vector<Section> sections;
};

}  // namespace zamrit::score
