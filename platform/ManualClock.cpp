#include "platform/ManualClock.h"

namespace zamrit {

void ManualClock::MoveTo(ClockTime time) {
    const ClockDuration::rep wanted = time.time_since_epoch().count();
    ClockDuration::rep current = ticks_.load();
    while (current < wanted && !ticks_.compare_exchange_weak(current, wanted)) {
    }
}

}  // namespace zamrit
