#include "platform/GuiWaitHook.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEventLoop>

namespace zamrit {

void GuiWaitHook::WaitFor(std::chrono::milliseconds duration) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + duration;
    constexpr std::chrono::milliseconds kSlice{5};
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds::zero()) return;
        PlainSleep(std::min(left, kSlice));
    }
}

}  // namespace zamrit
