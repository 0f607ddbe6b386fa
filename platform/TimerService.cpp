#include "platform/TimerService.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>

namespace zamrit {
namespace {

constexpr int kTimerThreadPriority = 10;

// Like the multimedia timer thread it stands in for, the timer thread runs ahead of ordinary
// work where the system lets it, so that a busy machine does not delay the firings. Where it
// may not (no permission), it runs at the ordinary priority.
void RaiseToTimerPriority(std::thread& thread) {
    sched_param param{};
    param.sched_priority = std::min(kTimerThreadPriority, sched_get_priority_max(SCHED_FIFO));
    pthread_setschedparam(thread.native_handle(), SCHED_FIFO, &param);
}

}  // namespace

TimerService::TimerService() : thread_([this] { Run(); }) { RaiseToTimerPriority(thread_); }

TimerService::TimerService(ManualClock& clock) : manual_(&clock), thread_([this] { Run(); }) {}

TimerService::~TimerService() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    moved_.notify_all();
    thread_.join();
}

ClockTime TimerService::Now() const {
    return manual_ != nullptr ? manual_->Now() : std::chrono::steady_clock::now();
}

TimerService::TimerId TimerService::SetEvent(std::uint32_t delayMs, std::uint32_t /*resolutionMs*/,
                                             TimerProc proc) {
    TimerId id = 0;
    {
        std::lock_guard lock(mutex_);
        const bool chained = firing_ && OnTimerThread();
        const ClockTime base = chained ? firingDue_ : Now();
        timers_.push(Timer{base + std::chrono::milliseconds(delayMs), nextOrder_++, std::move(proc)});
        if (++nextId_ == 0) ++nextId_;
        id = nextId_;
    }
    wake_.notify_one();
    return id;
}

bool TimerService::BeginPeriod(std::uint32_t periodMs) {
    if (periodMs < GetDevCaps().periodMin || periodMs > GetDevCaps().periodMax) return false;
    std::lock_guard lock(mutex_);
    ++raisedPeriods_;
    return true;
}

bool TimerService::EndPeriod(std::uint32_t periodMs) {
    if (periodMs < GetDevCaps().periodMin || periodMs > GetDevCaps().periodMax) return false;
    std::lock_guard lock(mutex_);
    if (raisedPeriods_ == 0) return false;
    --raisedPeriods_;
    return true;
}

int TimerService::RaisedPeriods() const {
    std::lock_guard lock(mutex_);
    return raisedPeriods_;
}

void TimerService::Sleep(ClockDuration duration) {
    if (manual_ == nullptr) {
        std::this_thread::sleep_for(duration);
    } else if (OnTimerThread()) {
        manual_->MoveTo(manual_->Now() + duration);
        moved_.notify_all();
    } else {
        AdvanceBy(duration);
    }
}

void TimerService::AdvanceBy(ClockDuration duration) {
    if (manual_ == nullptr) return;
    std::unique_lock lock(mutex_);
    const ClockTime wake = manual_->Now() + duration;
    const auto mine = sleepers_.insert(wake);
    // The sleeper wakes once the time has come and the firings due by then are over.
    while (!stopping_ && (manual_->Now() < wake || !SettledAt(manual_->Now()))) {
        // Only the first sleeper to wake moves the time, and only once the firings due at the
        // present time are over.
        if (manual_->Now() < wake && *sleepers_.begin() == wake && SettledAt(manual_->Now())) {
            ClockTime next = wake;
            if (!timers_.empty() && timers_.top().due < next) next = timers_.top().due;
            manual_->MoveTo(next);
            wake_.notify_all();
            moved_.notify_all();
            continue;
        }
        moved_.wait(lock);
    }
    sleepers_.erase(mine);
    moved_.notify_all();
}

bool TimerService::SettledAt(ClockTime time) const {
    return !firing_ && (timers_.empty() || timers_.top().due > time);
}

void TimerService::WaitForWork(std::unique_lock<std::mutex>& lock) {
    if (timers_.empty() || manual_ != nullptr) {
        wake_.wait(lock);
    } else {
        // A copy: while the lock is released another thread may add a timer and move the
        // queue's storage, and the wait reads its deadline again when it wakes.
        const ClockTime due = timers_.top().due;
        wake_.wait_until(lock, due);
    }
}

void TimerService::Run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (timers_.empty() || Now() < timers_.top().due) {
            moved_.notify_all();
            WaitForWork(lock);
            continue;
        }
        Timer timer = timers_.top();
        timers_.pop();
        firing_ = true;
        firingDue_ = timer.due;
        lock.unlock();
        timer.proc();
        lock.lock();
        firing_ = false;
    }
}

namespace {

std::atomic<TimerService*> installedService{nullptr};

TimerService& SystemTimerService() {
    static TimerService service;
    return service;
}

}  // namespace

void InstallTimerService(TimerService* service) { installedService.store(service); }

TimerService& CurrentTimerService() {
    TimerService* service = installedService.load();
    return service != nullptr ? *service : SystemTimerService();
}

ScopedTimerService::ScopedTimerService(TimerService& service) : previous_(installedService.load()) {
    InstallTimerService(&service);
}

ScopedTimerService::~ScopedTimerService() { InstallTimerService(previous_); }

}  // namespace zamrit
