#pragma once

#include <cstdint>
#include <limits>

namespace zamrit {

// Tick arithmetic on 32-bit event times. Sums are formed in 64 bits and brought back into
// range, so that no input, however odd its times, overflows.
constexpr std::int32_t ClampToInt32(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

constexpr std::int32_t AddTicks(std::int32_t a, std::int32_t b) {
    return ClampToInt32(std::int64_t{a} + b);
}

}  // namespace zamrit
