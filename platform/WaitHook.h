#pragma once

#include <chrono>
#include <cstdint>

namespace zamrit {

// How a thread waits when it sleeps. A GUI thread installs one that keeps serving the calls
// queued to it while it waits (for instance a report handed over by the player's worker or
// timer thread), so that a sleep there never leaves another thread waiting on it for ever.
class WaitHook {
public:
    WaitHook() = default;
    WaitHook(const WaitHook&) = delete;
    WaitHook& operator=(const WaitHook&) = delete;
    virtual ~WaitHook() = default;

    // Returns once `duration` has passed.
    virtual void WaitFor(std::chrono::milliseconds duration) = 0;
};

// Installs a hook for the calling thread for the lifetime of this object.
class ScopedWaitHook {
public:
    explicit ScopedWaitHook(WaitHook& hook);
    ScopedWaitHook(const ScopedWaitHook&) = delete;
    ScopedWaitHook& operator=(const ScopedWaitHook&) = delete;
    ~ScopedWaitHook();

private:
    WaitHook* previous_;
};

// The library's sleep: the calling thread's hook if it has one, else a plain sleep on the
// process-wide timer service's clock.
void SleepMilliseconds(std::uint32_t milliseconds);

// A plain sleep on the timer service's clock, for hooks to finish their wait with.
void PlainSleep(std::chrono::milliseconds duration);

}  // namespace zamrit
