#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zamrit::measures {

// A chord: its root in semitones above the part's tonic and its quality. `bassTone` is the
// chord tone in the bass, in semitones above the root (0 root position, 3 or 4 first
// inversion).
struct Chord {
    enum class Quality { Major, Minor, DominantSeventh };
    std::int32_t root;
    Quality quality;
    std::int32_t bassTone = 0;

    // Pitch classes above the root.
    std::vector<std::int32_t> Tones() const;
};

// What a bar does in its phrase: it moves on, or it arrives (on the dominant, or on a tonic).
enum class BarRole {
    Moving,
    HalfClose,  // a half cadence: the phrase rests on the dominant
    Close,      // an authentic cadence: the phrase rests on a tonic
};

// One bar of a part as every one of its alternatives shares it: the harmony, the melody tone
// on the downbeat and the key the bar's scale is taken from.
struct BarPlan {
    Chord chord;
    std::int32_t melodyKey;   // MIDI key of the melody's downbeat tone
    BarRole role;
    std::int32_t localTonic;  // semitones above the part's tonic: 0, or 7 in the dominant
};

struct Range {
    std::int32_t low;
    std::int32_t high;
    bool Holds(std::int32_t key) const { return key >= low && key <= high; }
};

// How the bass and the inner voice move under the melody.
enum class Accompaniment {
    Waltz,      // bass on the downbeat, the inner voice on beats 2 and 3
    Sustained,  // held and walking lines
    March,      // bass on the beats, the inner voice on the off-beats
};

// How a part is played, as every measure of a bar shares it. Levels are in dB of the
// synthesizer's concave curves, on which a channel volume or a velocity v sounds
// 40·log10(v / 127) dB against the full value.
struct Performance {
    double sectionDb;                 // the part's dynamic against the other parts
    double accentDb;                  // the downbeat's note over the other notes of its bar
    bool endsPiece;                   // its last bar ends the piece: a final ritardando
    std::vector<double> barLevelsDb;  // one per bar: the phrase arch, added to sectionDb
};

// What every measure of one part shares: key, metre, tempo, instruments and the bar plans.
struct MeasureStyle {
    std::string_view prefix;       // "MN", "TR", "DA", "DB"
    std::uint8_t voiceType;        // 4 for minuet and trio, 5 for the dance
    std::uint8_t tempoCode;        // 0xC3: 48 ticks per quarter, 0xC4: 96
    std::int32_t ticksPerQuarter;
    std::uint8_t beatsPerMinute;
    std::int32_t beatsPerBar;      // quarter notes per bar
    std::int32_t tonic;            // MIDI key of the tonic in the middle octave
    std::int32_t alternatives;     // measures per bar: 11 (sums 2-12) or 6 (sums 1-6)
    Range melody;
    Range bass;
    Range inner;
    Accompaniment accompaniment;
    std::array<std::uint8_t, 3> programs;       // General MIDI programs, 0-127
    std::array<std::uint8_t, 3> velocities;     // 0-63
    std::array<std::uint8_t, 3> channelVolumes; // 0-63, doubled on reading; at a level of 0 dB
    std::array<std::int32_t, 3> gatePercent;    // articulation of each voice
    std::vector<BarPlan> bars;
    Performance performance;

    std::int32_t TicksPerBar() const { return ticksPerQuarter * beatsPerBar; }
    std::int32_t TicksPerSixteenth() const { return ticksPerQuarter / 4; }
    // Pitch classes of the keys the part cadences in: its own and those its bars visit.
    std::vector<std::int32_t> Tonics() const;
    std::int32_t FirstSum() const { return alternatives == 6 ? 1 : 2; }
    // Whether bar `bar` (from 0) ends a phrase, and whether it ends the piece.
    bool EndsPhrase(std::size_t bar) const { return bars[bar].role != BarRole::Moving; }
    bool EndsPiece(std::size_t bar) const { return performance.endsPiece && bar + 1 == bars.size(); }

    // The style of the part whose files start with `prefix`; the minuet's for anything else.
    static const MeasureStyle& ForPrefix(std::string_view prefix);
    // The four parts in the order they are composed: minuet, trio, dance, dance second part.
    static std::array<const MeasureStyle*, 4> All();
};

}  // namespace zamrit::measures
