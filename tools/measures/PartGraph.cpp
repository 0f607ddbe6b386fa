#include "tools/measures/PartGraph.h"

namespace zamrit::measures {

namespace {
constexpr std::size_t kMinuet = 0;
constexpr std::size_t kTrio = 1;
constexpr std::size_t kDance = 2;
constexpr std::size_t kDanceSecond = 3;
}  // namespace

std::vector<BarRef> PartGraph::Following(BarRef bar) {
    const std::size_t last = BarsOf(bar.part) - 1;
    if (bar.bar < last) return {{bar.part, bar.bar + 1}};
    if (bar.part == kMinuet) return {{kTrio, 0}};
    if (bar.part == kDance) return {{kDance, 0}, {kDanceSecond, 0}};
    return {};
}

std::vector<BarRef> PartGraph::Preceding(BarRef bar) {
    std::vector<BarRef> preceding;
    for (std::size_t part = 0; part < kParts; ++part) {
        for (std::size_t index = 0; index < BarsOf(part); ++index) {
            for (const BarRef& next : Following({part, index})) {
                if (next == bar) preceding.push_back({part, index});
            }
        }
    }
    return preceding;
}

}  // namespace zamrit::measures
