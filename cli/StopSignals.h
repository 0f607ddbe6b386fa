#pragma once

#include <csignal>
#include <string>

namespace zamrit {

// While it lives, SIGINT, SIGTERM and SIGHUP no longer end the program at once: the first
// one received is kept, and the command polling `Received` stops its playback through the
// player, which resets and closes the device and flushes its file, before returning the
// status of that signal. A SIGHUP ignored when the program started (nohup) stays ignored.
// The previous handlers come back on destruction.
class StopSignals {
public:
    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    ~StopSignals();

    // The signal received, or 0.
    int Received() const;
    // 128 + the signal received (130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP).
    int ExitStatus() const;
    // "SIGINT", "SIGTERM" or "SIGHUP"; "" when none was received.
    std::string Name() const;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[3] = {};
};

}  // namespace zamrit
