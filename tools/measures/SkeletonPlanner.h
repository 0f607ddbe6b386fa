#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/measures/Measure.h"
#include "tools/measures/MeasureStyle.h"
#include "tools/measures/PartGraph.h"

namespace zamrit::measures {

// Voices the harmony of every bar of the four parts as three tones (bass, inner voice,
// melody), so that every move from a bar to any bar that can follow it is good part writing.
// The melody tones are given by the plans; the bass and the inner voice are searched for.
class SkeletonPlanner {
public:
    // Skeletons by part and bar; empty, with `error` naming the furthest bar reached, when no
    // voicing keeps the rules (a plan to correct).
    static std::array<std::vector<Skeleton>, PartGraph::kParts> Plan(std::string& error);

    // A skeleton as one bar of whole notes, for the part-writing check.
    static Measure AsMeasure(const MeasureStyle& style, const Skeleton& skeleton);
};

}  // namespace zamrit::measures
