#pragma once

#include <chrono>

#include "platform/WaitHook.h"

namespace zamrit {

// The GUI thread's way of waiting: it keeps serving queued calls and window events until the
// time is up, so that a report another thread hands over meanwhile gets its message box.
class GuiWaitHook final : public WaitHook {
public:
    void WaitFor(std::chrono::milliseconds duration) override;
};

}  // namespace zamrit
