#pragma once

#include <cstdint>
#include <vector>

#include "tools/measures/Measure.h"
#include "tools/measures/MeasureStyle.h"

namespace zamrit::measures {

// The bass and inner voice of one bar, in the measure's ticks, and the pattern they follow.
struct AccompanimentVoices {
    std::int32_t pattern;  // which rhythm of the part's accompaniment
    NoteLine bass;
    NoteLine inner;
};

// Ways to accompany a bar over its skeleton. The bass sounds the skeleton's bass on the
// downbeat and may answer with another tone of the chord; the inner voice sounds the
// skeleton's inner tone first and may move to a neighbouring chord tone. Bars where the
// phrase arrives get patterns that hold or stop.
class AccompanimentPatterns {
public:
    static std::vector<AccompanimentVoices> For(const MeasureStyle& style, const BarPlan& bar,
                                                const Skeleton& skeleton);
};

}  // namespace zamrit::measures
