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

inline std::unique_ptr<MusicEvent> MidiEvent(std::int32_t kind, std::int32_t delta, std::int32_t channel = 0) {
    auto event = std::make_unique<MusicEvent>(delta);
    event->kind = kind;
    event->channel = channel;
    return event;
}

inline std::unique_ptr<MusicEvent> NoteOn(std::int32_t delta, std::int32_t key, std::int32_t velocity = 100,
                                          std::int32_t channel = 0) {
    auto event = MidiEvent(0x90, delta, channel);
    event->key = key;
    event->velocity = velocity;
    return event;
}

inline std::unique_ptr<MusicEvent> NoteOff(std::int32_t delta, std::int32_t key, std::int32_t channel = 0) {
    auto event = MidiEvent(0x80, delta, channel);
    event->key = key;
    event->velocity = 64;
    return event;
}

inline std::unique_ptr<MusicEvent> Program(std::int32_t delta, std::int32_t program, std::int32_t channel = 0) {
    auto event = MidiEvent(0xC0, delta, channel);
    event->value = program;
    return event;
}

inline std::unique_ptr<MusicEvent> Control(std::int32_t delta, std::int32_t controller, std::int32_t value,
                                           std::int32_t channel = 0) {
    auto event = MidiEvent(0xB0, delta, channel);
    event->code = controller;
    event->value = value;
    return event;
}

inline std::unique_ptr<MusicEvent> Meta(std::int32_t delta, std::int32_t code, std::int32_t value = 0) {
    auto event = MidiEvent(0xFF, delta, MusicEvent::kNoChannel);
    event->code = code;
    event->value = value;
    return event;
}

inline std::unique_ptr<MusicEvent> Tempo(std::int32_t delta, std::int32_t microsecondsPerQuarter) {
    return Meta(delta, 0x51, microsecondsPerQuarter);
}

inline std::unique_ptr<MusicEvent> EndOfTrack(std::int32_t delta) { return Meta(delta, 0x2F); }

// Waits of the requesting thread that let a moment of real time pass and leave the manual
// clock alone: the worker's sleeps alone move it, so a playback's times come out the same on
// every run.
class RealTimeWaits final : public WaitHook {
public:
    void WaitFor(std::chrono::milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
};

// A ready sequence at 96 ticks per quarter note holding exactly these events.
inline std::unique_ptr<MidiF0Data> ReadySequence(std::vector<std::unique_ptr<MusicEvent>> events) {
    auto sequence = std::make_unique<MidiF0Data>(0x60000);
    sequence->division = 96;
    for (auto& event : events) sequence->track->Append(std::move(event));
    sequence->state = MidiF0Data::kStateReady;
    sequence->track->state = MidiF0Data::kStateReady;
    return sequence;
}

template <typename... Owned>
std::vector<std::unique_ptr<MusicEvent>> Events(Owned... events) {
    std::vector<std::unique_ptr<MusicEvent>> list;
    (list.push_back(std::move(events)), ...);
    return list;
}

}  // namespace zamrit::testing
