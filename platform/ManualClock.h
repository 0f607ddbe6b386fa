#pragma once

#include <atomic>
#include <chrono>

namespace zamrit {

// Monotonic time as the timer service and the MIDI outputs read it.
using ClockTime = std::chrono::steady_clock::time_point;
using ClockDuration = std::chrono::steady_clock::duration;

// A clock whose time moves only when it is told to: timer tests and offline rendering run on
// one. It starts at the clock's epoch and never goes back.
class ManualClock {
public:
    ManualClock() = default;
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    ClockTime Now() const { return ClockTime(ClockDuration(ticks_.load())); }

    // Moves the time to `time` if that lies ahead; an earlier time changes nothing.
    void MoveTo(ClockTime time);

private:
    std::atomic<ClockDuration::rep> ticks_{0};
};

}  // namespace zamrit
