#pragma once

#include <cstdint>

namespace zamrit {

// The C runtime's linear congruential generator, so that a seed throws the same dice on every
// machine: state = state × 214013 + 2531011 (mod 2^32), result = (state >> 16) & 0x7FFF.
class RuntimeRandom {
public:
    static constexpr std::int32_t kMax = 0x7FFF;

    explicit RuntimeRandom(std::uint32_t seed = 1) : state_(seed) {}

    void Seed(std::uint32_t seed) { state_ = seed; }

    std::int32_t Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<std::int32_t>((state_ >> 16) & kMax);
    }

    // One die: 1 to 6.
    std::int32_t ThrowDie() { return Next() % 6 + 1; }

private:
    std::uint32_t state_;
};

}  // namespace zamrit
