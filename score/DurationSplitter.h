#pragma once

#include <cstdint>
#include <vector>

namespace zamrit::score {

// Splits a stretch of a bar into written values (ticks at 96 to the quarter), in order.
// A sound keeps to the beats: a value that starts on a beat may be a whole number of beats or
// a beat and a half (a dotted quarter); one that starts between beats ends by the next beat,
// and the rest of the sound is tied on. A silence is written as plain rests that each start on
// a multiple of their own value and never cross a beat except as whole beats from a beat.
class DurationSplitter {
public:
    static std::vector<std::int32_t> Sound(std::int32_t start, std::int32_t length);
    static std::vector<std::int32_t> Silence(std::int32_t start, std::int32_t length);
};

}  // namespace zamrit::score
