#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zamrit::measures {

// A chord of the key: its root as a scale degree (0 = tonic) and whether it has a seventh.
struct Chord {
    std::int32_t root;
    bool seventh;
};

// One figure of the melody: note lengths in sixteenths and pitches as diatonic steps above
// the chord's root (even steps 0, 2, 4, 7, 9 are chord tones; odd steps are passing and
// neighbour notes on weak parts of the beat).
struct FigureNote {
    std::int32_t sixteenths;
    std::int32_t step;
};
using Figure = std::vector<FigureNote>;

// How the bass and the inner voice accompany the melody.
enum class Accompaniment {
    Waltz,      // bass on the downbeat, the inner voice on beats 2 and 3
    Sustained,  // held bass and inner voice
    March,      // bass on the beats, the inner voice on the off-beats
};

// What every measure of one part shares: key, metre, tempo, harmony by bar, instruments and
// the figures its dice choose among.
struct MeasureStyle {
    std::string_view prefix;       // "MN", "TR", "DA", "DB"
    std::uint8_t voiceType;        // 4 for minuet and trio, 5 for the dance
    std::uint8_t tempoCode;        // 0xC3: 48 ticks per quarter, 0xC4: 96
    std::int32_t ticksPerQuarter;
    std::uint8_t beatsPerMinute;
    std::int32_t beatsPerBar;      // quarter notes per bar
    std::int32_t tonic;            // MIDI key of the tonic in the middle octave
    std::int32_t melodyCentre;     // MIDI keys each voice keeps near
    std::int32_t bassCentre;
    std::int32_t innerCentre;
    Accompaniment accompaniment;
    std::array<std::uint8_t, 3> programs;     // General MIDI programs, 0-127
    std::array<std::uint8_t, 3> velocities;   // 0-63
    std::array<std::int32_t, 3> gatePercent;  // articulation of each voice
    std::vector<Chord> harmony;               // by bar of the part
    std::vector<Figure> figures;              // bars inside a phrase
    std::vector<Figure> cadences;             // bars 8 and 16: every figure ends on the tonic

    std::int32_t TicksPerBar() const { return ticksPerQuarter * beatsPerBar; }
    std::int32_t TicksPerSixteenth() const { return ticksPerQuarter / 4; }
    bool IsCadence(std::int32_t bar) const { return bar == 8 || bar == 16; }

    // The style of the part whose files start with `prefix`; the minuet's for anything else.
    static const MeasureStyle& ForPrefix(std::string_view prefix);
};

}  // namespace zamrit::measures
