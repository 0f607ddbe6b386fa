#pragma once

#include <span>
#include <vector>

#include "score/MarkCourse.h"

namespace zamrit::score {

// The tempo words of a melody, from its tempo course (microseconds per quarter note).
//
// A slowing is a run of tempo changes each slower than the one before. It is marked "rit."
// where it starts once a bar it slows lasts 10 % or more longer than the tempo before the
// slowing would make it: a ritardando the player is to make, such as the 15-40 % of a final
// bar. The broadenings of 2-8 % of a phrase's last bar, after which the tempo returns at once,
// are an agogic nuance any player makes by themself; marking each with "rit." and "a tempo"
// would fill every fourth bar, so they are left unmarked, however slow their last beat.
// Where the tempo after a marked slowing comes back to within 3 % of the tempo before it,
// "a tempo" is written.
class TempoMarks {
public:
    static constexpr double kMarkedSlowing = 1.10;  // a bar this much longer: "rit."
    static constexpr double kTempoBack = 1.03;      // within this of the tempo before: "a tempo"

    static std::vector<PlacedMark> Find(std::span<const SectionCourse> sections);
};

}  // namespace zamrit::score
