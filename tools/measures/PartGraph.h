#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zamrit::measures {

// A bar of one of the four parts (minuet, trio, dance, dance second part), counted from 0.
struct BarRef {
    std::size_t part;
    std::size_t bar;
    bool operator==(const BarRef&) const = default;
};

// Which bar can follow which in a thrown piece: each part's bars in order, the minuet's last
// bar into the trio, and the dance's bar 8 both back to its bar 1 (the repeat) and on into the
// second part.
class PartGraph {
public:
    static constexpr std::size_t kParts = 4;
    static std::size_t BarsOf(std::size_t part) { return part < 2 ? 16 : 8; }
    static std::vector<BarRef> Following(BarRef bar);
    static std::vector<BarRef> Preceding(BarRef bar);
    // Whether `first` is composed before `second`.
    static bool Before(BarRef first, BarRef second) {
        return first.part != second.part ? first.part < second.part : first.bar < second.bar;
    }
};

}  // namespace zamrit::measures
