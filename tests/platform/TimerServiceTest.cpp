#include "platform/TimerService.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace zamrit {
namespace {

using namespace std::chrono_literals;

// What fired, and when on the manual clock (in ms from its start).
class FiringLog {
public:
    void Add(int what, ClockTime at) {
        std::lock_guard lock(mutex_);
        entries_.push_back({what, std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count()});
    }
    std::vector<std::pair<int, long long>> Entries() const {
        std::lock_guard lock(mutex_);
        return entries_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<int, long long>> entries_;
};

TEST(TimerServiceTest, FiresOneShotTimersInDueOrderAtTheirDueTimes) {
    ManualClock clock;
    TimerService timers(clock);
    FiringLog log;
    timers.SetEvent(30, 1, [&] { log.Add(3, timers.Now()); });
    timers.SetEvent(10, 1, [&] { log.Add(1, timers.Now()); });
    timers.SetEvent(20, 1, [&] { log.Add(2, timers.Now()); });
    timers.SetEvent(20, 1, [&] { log.Add(22, timers.Now()); });  // same due time: armed order

    timers.AdvanceBy(25ms);
    EXPECT_EQ(log.Entries(), (std::vector<std::pair<int, long long>>{{1, 10}, {2, 20}, {22, 20}}));
    timers.AdvanceBy(25ms);
    EXPECT_EQ(log.Entries().size(), 4u);
    EXPECT_EQ(log.Entries().back(), (std::pair<int, long long>{3, 30}));
    EXPECT_EQ(timers.Now().time_since_epoch(), std::chrono::duration_cast<ClockDuration>(50ms));
}

// A firing that takes 7 ms before it arms the next timer of 10 ms: the next one still comes
// 10 ms after the first one's due time, so the time spent in firings does not add up.
TEST(TimerServiceTest, TimerArmedInAFiringCountsFromThatFiringsDueTime) {
    ManualClock clock;
    TimerService timers(clock);
    FiringLog log;
    int fired = 0;
    std::function<void()> tick = [&] {
        log.Add(fired, timers.Now());
        timers.Sleep(7ms);  // the work of the firing
        if (++fired < 4) timers.SetEvent(10, 1, tick);
    };
    timers.SetEvent(10, 1, tick);
    timers.AdvanceBy(100ms);
    EXPECT_EQ(log.Entries(), (std::vector<std::pair<int, long long>>{{0, 10}, {1, 20}, {2, 30}, {3, 40}}));
}

// A firing that overruns the next due time is followed at once, and the chain keeps its
// schedule afterwards.
TEST(TimerServiceTest, LateChainCatchesUpWithItsSchedule) {
    ManualClock clock;
    TimerService timers(clock);
    FiringLog log;
    int fired = 0;
    std::function<void()> tick = [&] {
        log.Add(fired, timers.Now());
        if (fired == 0) timers.Sleep(25ms);
        if (++fired < 4) timers.SetEvent(10, 1, tick);
    };
    timers.SetEvent(10, 1, tick);
    timers.AdvanceBy(100ms);
    EXPECT_EQ(log.Entries(), (std::vector<std::pair<int, long long>>{{0, 10}, {1, 35}, {2, 35}, {3, 40}}));
}

TEST(TimerServiceTest, SleepOnAManualClockFiresWhatFallsDueMeanwhile) {
    ManualClock clock;
    TimerService timers(clock);
    std::atomic<int> fired{0};
    timers.SetEvent(100, 1, [&] { ++fired; });
    std::thread sleeper([&] { timers.Sleep(99ms); });
    sleeper.join();
    EXPECT_EQ(fired, 0);
    timers.Sleep(1ms);
    EXPECT_EQ(fired, 1);
}

TEST(TimerServiceTest, CountsRaisedPeriodsWithinTheOfferedRange) {
    ManualClock clock;
    TimerService timers(clock);
    EXPECT_EQ(timers.GetDevCaps().periodMin, 1u);
    EXPECT_FALSE(timers.BeginPeriod(0));
    EXPECT_TRUE(timers.BeginPeriod(5));
    EXPECT_EQ(timers.RaisedPeriods(), 1);
    EXPECT_TRUE(timers.EndPeriod(5));
    EXPECT_FALSE(timers.EndPeriod(5));
    EXPECT_EQ(timers.RaisedPeriods(), 0);
}

TEST(TimerServiceTest, DroppingTheServiceDropsTimersNotYetFired) {
    ManualClock clock;
    std::atomic<int> fired{0};
    {
        TimerService timers(clock);
        timers.SetEvent(10, 1, [&] { ++fired; });
    }
    EXPECT_EQ(fired, 0);
}

TEST(TimerServiceTest, SystemClockTimerFiresOnItsOwnThread) {
    TimerService timers;
    std::atomic<bool> onTimerThread{false};
    std::atomic<bool> fired{false};
    timers.SetEvent(1, 1, [&] {
        onTimerThread = timers.OnTimerThread();
        fired = true;
    });
    while (!fired) std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(onTimerThread);
    EXPECT_FALSE(timers.OnTimerThread());
}

// The timer thread waits for the earliest due time while other threads arm more timers, which
// move the queue's storage; the wait must not read its deadline from the old storage (the
// sanitizer builds see it).
TEST(TimerServiceTest, TimersArmedWhileTheThreadWaitsFire) {
    TimerService timers;
    std::atomic<int> fired{0};
    timers.SetEvent(60'000, 1, [&] { ++fired; });
    std::this_thread::sleep_for(20ms);  // the thread now waits for the far timer
    for (int i = 0; i < 64; ++i) timers.SetEvent(1, 1, [&] { ++fired; });
    while (fired < 64) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(fired, 64);
}

}  // namespace
}  // namespace zamrit
