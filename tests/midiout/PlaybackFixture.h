#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <chrono>
#include <thread>
#include <memory>
#include <string>
#include <vector>

#include "melody/ErrorReporting.h"
#include "melody/MusicEvent.h"
#include "midiout/MidiControler.h"
#include "midiseq/MidiF0Data.h"
#include "platform/RecordingMidiOutService.h"
#include "platform/TimerService.h"
#include "platform/WaitHook.h"
#include "support/EventBuilders.h"
#include "support/RecordedReports.h"

namespace zamrit::testing {

// Playback against a manual clock and a recording device: sleeps and timers run on the
// manual clock, every message lands in `device` with its time since the open. The reports
// shown once per process are shown again in every test.
class PlaybackTest : public ::testing::Test {
protected:
    PlaybackTest() {
        MidiControler::ResetNoDeviceReportForTesting();
        ResetCallBackPlayerErrorForTesting();
    }

    ManualClock clock;
    TimerService timers{clock};
    ScopedTimerService installedTimers{timers};
    RecordingMidiOutService device{1};
    ScopedMidiOutService installedDevice{device};
    RecordedReports reports;
};

// Waits of the requesting thread that let a moment of real time pass and leave the manual
// clock alone: the worker's sleeps alone move it, so a playback's times come out the same on
// every run.
class RealTimeWaits final : public WaitHook {
public:
    void WaitFor(std::chrono::milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
};

// A ready sequence at 96 ticks per quarter note holding exactly these events.
inline std::unique_ptr<MidiF0Data> ReadySequence(std::vector<MusicEvent> events) {
    auto sequence = std::make_unique<MidiF0Data>(0x60000);
    sequence->division = 96;
    for (auto& event : events) sequence->track->Append(std::move(event));
    sequence->state = MidiF0Data::kStateReady;
    sequence->track->state = MidiF0Data::kStateReady;
    return sequence;
}

template <typename... Owned>
std::vector<MusicEvent> Events(Owned... events) {
    std::vector<MusicEvent> list;
    (list.push_back(std::move(events)), ...);
    return list;
}

}  // namespace zamrit::testing
