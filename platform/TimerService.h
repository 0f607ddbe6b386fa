#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <queue>
#include <set>
#include <thread>
#include <vector>

#include "platform/ManualClock.h"

namespace zamrit {

// One-shot timers fired one at a time, in due order, on the service's own timer thread, with
// due times on the monotonic clock (or on a manual clock in tests and offline rendering).
//
// A timer armed from inside a firing counts its delay from the due time of that firing, not
// from the moment it is armed: a chain of timers that each arm the next keeps to the times it
// intends however long each firing takes, and a firing that comes late is followed by the next
// one at its own due time.
class TimerService {
public:
    using TimerId = std::uint32_t;
    using TimerProc = std::function<void()>;

    // The timer resolutions the service offers, in milliseconds.
    struct Caps {
        std::uint32_t periodMin = 1;
        std::uint32_t periodMax = 1000000;
    };

    TimerService();                            // on the monotonic system clock
    explicit TimerService(ManualClock& clock); // on a clock moved by AdvanceBy / Sleep
    TimerService(const TimerService&) = delete;
    TimerService& operator=(const TimerService&) = delete;
    ~TimerService();                           // drops the timers not yet fired

    ClockTime Now() const;
    bool IsManual() const { return manual_ != nullptr; }

    // Arms a one-shot timer that calls `proc` on the timer thread after `delayMs`. The
    // resolution is accepted as the timer period of the caller's choice. Returns the timer's
    // id, never 0.
    TimerId SetEvent(std::uint32_t delayMs, std::uint32_t resolutionMs, TimerProc proc);

    Caps GetDevCaps() const { return Caps{}; }

    // Raising and ending the timer period. Linux timers are not coarser than a period of
    // 1 ms, so the service only keeps count of the periods raised and not yet ended.
    bool BeginPeriod(std::uint32_t periodMs);
    bool EndPeriod(std::uint32_t periodMs);
    int RaisedPeriods() const;

    // Lets `duration` pass for the calling thread. On a manual clock the sleeping threads take
    // turns: the one that is due to wake first moves the time on to the next due timer or its
    // own waking time, whichever comes first, and every timer fires at its own due time before
    // the time moves past it; so two threads sleeping at once wake in the order of their
    // times, as they would on the system clock. A sleep on the timer thread itself only moves
    // the time.
    void Sleep(ClockDuration duration);

    // Manual clock only: the calling thread sleeps `duration`, firing what falls due.
    void AdvanceBy(ClockDuration duration);

    bool OnTimerThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    struct Timer {
        ClockTime due;
        std::uint64_t order;
        TimerProc proc;
    };
    struct LaterFirst {
        bool operator()(const Timer& a, const Timer& b) const {
            return a.due != b.due ? a.due > b.due : a.order > b.order;
        }
    };

    void Run();
    void WaitForWork(std::unique_lock<std::mutex>& lock);
    bool SettledAt(ClockTime time) const;

    ManualClock* manual_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable moved_;  // the manual clock moved or the timer thread settled
    std::multiset<ClockTime> sleepers_;  // waking times of the threads sleeping on a manual clock
    std::priority_queue<Timer, std::vector<Timer>, LaterFirst> timers_;
    std::uint64_t nextOrder_ = 0;
    TimerId nextId_ = 0;
    bool firing_ = false;
    ClockTime firingDue_{};
    int raisedPeriods_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

// The process-wide timer service: the one on the system clock until another is installed.
void InstallTimerService(TimerService* service);
TimerService& CurrentTimerService();

// Installs a timer service for the lifetime of this object and restores the previous one.
class ScopedTimerService {
public:
    explicit ScopedTimerService(TimerService& service);
    ScopedTimerService(const ScopedTimerService&) = delete;
    ScopedTimerService& operator=(const ScopedTimerService&) = delete;
    ~ScopedTimerService();

private:
    TimerService* previous_;
};

}  // namespace zamrit
