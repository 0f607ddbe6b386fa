#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/measures/Measure.h"
#include "tools/measures/MeasureStyle.h"
#include "tools/measures/PartGraph.h"

namespace zamrit::measures {

// Composes every measure of the four parts. All measures of a bar share its skeleton and
// differ in the melody's figure and the accompaniment's pattern. Bars are composed in order;
// a measure is kept only when it breaks no part-writing rule on its own and joined to every
// measure already kept for a bar before or after it (or, for a bar not yet composed, to that
// bar's skeleton), so that any throw of the dice joins cleanly.
class MeasureComposer {
public:
    // Measures by part, bar and alternative (alternative 0 for the first dice sum).
    using Book = std::array<std::vector<std::vector<Measure>>, PartGraph::kParts>;

    // False, with `error` saying which bar, when a bar cannot be given enough measures.
    static bool ComposeAll(Book& book, std::string& error);
};

}  // namespace zamrit::measures
