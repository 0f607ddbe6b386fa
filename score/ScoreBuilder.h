#pragma once

#include "score/Notation.h"
#include "score/ScoreLayout.h"

namespace zamrit {
class MobileData;
}

namespace zamrit::score {

// Writes a played melody as a score for a grand staff.
//
// Every list of the melody with notes (drum lists aside) is one voice: the first on the
// treble staff, the second on the bass staff, every further one on the staff where it needs
// the fewest ledger lines (a voice silent in a section stays put); two voices on one staff get their own stems. Notes that start
// together in a voice form a chord. A note is written up to the next note of its voice; only
// when it falls silent for a beat or more before that does it end where it stops sounding
// (rounded up to an eighth, or a
// sixteenth under a beat) and a rest follows. Starts are taken to the nearest 32nd.
class ScoreBuilder {
public:
    static Score Build(const MobileData& melody, const ScoreLayout& layout);
};

}  // namespace zamrit::score
