#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/PieceForm.h"

namespace zamrit {
class MobileData;
}

namespace zamrit::score {

// Where the sections of a score lie in the played melody and how they are written.
struct SectionPlan {
    std::string label;
    std::int32_t keyFifths = 0;
    std::int32_t beatsPerBar = 3;
    bool repeated = false;
    std::int64_t firstTick = 0;  // in the melody, at 96 ticks to the quarter
    std::int64_t barCount = 0;
    std::int32_t firstBarNumber = 1;
};

struct ScoreLayout {
    std::string title;
    std::int32_t beatsPerMinute = 120;  // quarter notes
    std::vector<SectionPlan> sections;

    // The thrown piece as the game composes it. Minuet / Trio: 32 bars of 3/4, the minuet in
    // C major (bars 1-16), the trio in F major (bars 17-32). Dance: 2/4 in G major; its
    // first part (bars 1-8) is played twice, as bars 1-16, and is written once between repeat
    // signs; the second part follows as bars 17-24.
    static ScoreLayout ForForm(PieceForm form);

    // The written bar of a bar as the game counts them while it plays: the second time through
    // a repeated section is that section's own bars again. Other numbers are their own.
    std::int32_t WrittenBar(std::int32_t playedBar) const;

    // Any other melody: its own tempo, one section of its own metre, as many bars as the
    // melody measures, in the major key that needs the fewest accidentals. Without a time
    // signature the bar is four beats, except for a melody exactly as long as one bar of
    // 2 to 6 quarter notes (a measure file of the game on its own): that is its one bar.
    static ScoreLayout ForMelody(const MobileData& melody);

    // A piece composed of measure files, which carry no time signature: every file is one
    // bar, as long as the file (`barEnds`: where each file ends, in the melody's ticks). A
    // change of length starts a section of the new metre; a file that adds nothing adds no
    // bar. When a file is not a whole 2 to 6 quarter notes long, it is not one bar of any
    // metre the score writes, and the piece is measured as ForMelody measures it.
    static ScoreLayout ForMeasures(const MobileData& melody, std::span<const std::int64_t> barEnds);

    // Every section's bars, and their quarter notes.
    std::int64_t BarCount() const;
    std::int64_t QuarterCount() const;

    // The metres a bar of a melody without a time signature is taken to have: 2/4 to 6/4.
    static constexpr std::int32_t kFewestBeats = 2;
    static constexpr std::int32_t kMostBeats = 6;
};

}  // namespace zamrit::score
