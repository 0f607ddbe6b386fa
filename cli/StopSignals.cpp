#include "cli/StopSignals.h"

#include <atomic>

namespace zamrit {
namespace {

std::atomic<int> received{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler sets it");

extern "C" void OnStopSignal(int signal) {
    int none = 0;
    received.compare_exchange_strong(none, signal);
}

}  // namespace

StopSignals::StopSignals() {
    received = 0;
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) {
        sigaction(kSignals[i], nullptr, &previous_[i]);
        if (kSignals[i] == SIGHUP && previous_[i].sa_handler == SIG_IGN) continue;
        sigaction(kSignals[i], &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
}

int StopSignals::Received() const { return received.load(); }

int StopSignals::ExitStatus() const { return 128 + Received(); }

std::string StopSignals::Name() const {
    switch (Received()) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        default: return "";
    }
}

}  // namespace zamrit
