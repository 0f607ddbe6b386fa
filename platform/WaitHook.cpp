#include "platform/WaitHook.h"

#include "platform/TimerService.h"

namespace zamrit {
namespace {

thread_local WaitHook* threadHook = nullptr;

}  // namespace

ScopedWaitHook::ScopedWaitHook(WaitHook& hook) : previous_(threadHook) { threadHook = &hook; }

ScopedWaitHook::~ScopedWaitHook() { threadHook = previous_; }

void SleepMilliseconds(std::uint32_t milliseconds) {
    const std::chrono::milliseconds duration(milliseconds);
    if (threadHook != nullptr) {
        threadHook->WaitFor(duration);
    } else {
        PlainSleep(duration);
    }
}

void PlainSleep(std::chrono::milliseconds duration) { CurrentTimerService().Sleep(duration); }

}  // namespace zamrit
