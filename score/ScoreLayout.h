#pragma once

#include <cstdint>
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
    std::int32_t firstTick = 0;  // in the melody, at 96 ticks to the quarter
    std::int32_t barCount = 0;
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

    // Any other melody: its own tempo, one section of its own metre (four beats without a time signature),
    // as many bars as the melody measures, in the major key that needs the fewest accidentals.
    static ScoreLayout ForMelody(const MobileData& melody);
};

}  // namespace zamrit::score
