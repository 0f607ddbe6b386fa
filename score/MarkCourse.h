#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "score/Notation.h"

namespace zamrit::score {

// A value of the played melody that holds from `tick` on (ticks at 96 to the quarter).
struct CoursePoint {
    std::int64_t tick = 0;
    double value = 0;
};

// The course of a value through one written section: the value at the section's first tick
// first, then every point inside it where the value is set, in order.
struct SectionCourse {
    std::int64_t firstTick = 0;
    std::int64_t endTick = 0;
    std::int32_t barTicks = 0;
    std::vector<CoursePoint> points;
};

// A mark at a tick of the played melody, before it is given its bar.
struct PlacedMark {
    std::int64_t tick = 0;
    Mark::Kind kind = Mark::Kind::Dynamic;
    std::string text;

    bool operator==(const PlacedMark&) const = default;
};

}  // namespace zamrit::score
