#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "melody/ErrorReporting.h"
#include "melody/MusicEvent.h"

namespace zamrit {

class MidiF0Data;

// The running MIDI state of a sequence up to a tick: programs, pitch bends and controllers
// per channel, tempo and time signature. Playback that starts in the middle of a piece
// sends it first, so that the piece sounds as if it had been played from its start.
class MidiStatus {
public:
    static constexpr std::int32_t kChannels = 16;
    static constexpr std::int32_t kControllers = 128;
    static constexpr std::int32_t kNotSeen = -1;
    // The most events MakeEvents makes: per channel a program, a bend and every controller,
    // then the tempo and the time signature.
    static constexpr std::size_t kMaxEvents = kChannels * (kControllers + 2) + 2;

    // Where playback starts: the first event to play, and the ticks of the events before it.
    struct StartPoint {
        std::int32_t index = 0;
        std::int32_t ticks = 0;
    };

    MidiStatus();

    // Folds one event into the state: control and program changes, pitch bends, tempo and
    // time-signature meta events. Other events, and channel events whose channel or
    // controller number lies outside the tables, are ignored.
    void Record(const MusicEvent& event);

    // Records every event of the sequence that lies before `startTick`; the first event at or
    // past it is the one to play. When every event lies before it, the index is the count.
    StartPoint CollectUntil(const MidiF0Data& sequence, std::int32_t startTick);

    // New events (delta 0) that restore the collected state, in sending order: per channel 0
    // to 15 its program, its pitch bend and its controllers 0 to 127; then the tempo and the
    // time signature. A stored signature of 0 is reported (37000002) and still made.
    std::vector<MusicEvent> MakeEvents() const;

    static void ReportError(ErrorCode code);

    std::array<std::int32_t, kChannels> programs;
    std::array<std::array<std::int32_t, 2>, kChannels> pitchBends;  // high byte, low byte
    std::array<std::array<std::int32_t, kControllers>, kChannels> controllers;
    std::int32_t tempo = kNotSeen;
    std::int32_t timeSignature = kNotSeen;
};

}  // namespace zamrit
