#include "platform/WaitHook.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/TimerService.h"

namespace zamrit {
namespace {

using namespace std::chrono_literals;

class CountingHook final : public WaitHook {
public:
    void WaitFor(std::chrono::milliseconds duration) override {
        waits.push_back(duration.count());
        PlainSleep(duration);
    }
    std::vector<long long> waits;
};

// The hook serves the thread that installed it; other threads sleep plainly on the clock.
TEST(WaitHookTest, SleepsGoThroughTheHookOfTheirOwnThreadOnly) {
    ManualClock clock;
    TimerService timers(clock);
    ScopedTimerService installed(timers);
    CountingHook hook;
    {
        ScopedWaitHook scope(hook);
        SleepMilliseconds(100);
        std::thread other([] { SleepMilliseconds(50); });
        other.join();
    }
    SleepMilliseconds(25);
    EXPECT_EQ(hook.waits, (std::vector<long long>{100}));
    EXPECT_EQ(timers.Now().time_since_epoch(), std::chrono::duration_cast<ClockDuration>(175ms));
}

}  // namespace
}  // namespace zamrit
