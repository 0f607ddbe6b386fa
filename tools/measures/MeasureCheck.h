#pragma once

#include "tools/measures/Counterpoint.h"
#include "tools/measures/Measure.h"
#include "tools/measures/MeasureStyle.h"

namespace zamrit::measures {

// The part-writing check of measures while they are composed.
class MeasureCheck {
public:
    static Passage PassageOf(const MeasureStyle& style, const Measure& measure);
    // Whether the measures, heard one after the other, break no rule.
    static bool Clean(const MeasureStyle& first, const Measure& a);
    static bool Clean(const MeasureStyle& first, const Measure& a, const MeasureStyle& second,
                      const Measure& b);
};

}  // namespace zamrit::measures
