#include "score/TempoMarks.h"

#include <optional>

namespace zamrit::score {

std::vector<PlacedMark> TempoMarks::Find(std::span<const SectionCourse> sections) {
    std::vector<PlacedMark> marks;
    std::optional<double> beat;         // the length of a quarter in effect
    std::optional<CoursePoint> slowing;  // where the run of slower beats started, and the beat before it
    bool marked = false;                 // the run is marked "rit."
    std::optional<double> ritBase;       // the beat before a marked slowing not yet taken back
    for (const SectionCourse& section : sections) {
        for (const CoursePoint& point : section.points) {
            if (point.value <= 0) continue;
            if (!beat || point.value == *beat) {
                beat = point.value;
                continue;
            }
            if (point.value > *beat) {
                if (!slowing) {
                    slowing = CoursePoint{point.tick, *beat};
                    marked = false;
                }
                if (!marked && point.value >= slowing->value * kMarkedSlowing) {
                    marks.push_back({slowing->tick, Mark::Kind::TempoWords, "rit."});
                    marked = true;
                    ritBase = slowing->value;
                }
            } else {
                slowing.reset();
                if (ritBase && point.value <= *ritBase * kTempoBack) {
                    marks.push_back({point.tick, Mark::Kind::TempoWords, "a tempo"});
                    ritBase.reset();
                }
            }
            beat = point.value;
        }
    }
    return marks;
}

}  // namespace zamrit::score
