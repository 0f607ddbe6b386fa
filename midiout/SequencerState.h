#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "midiout/MidiControler.h"

namespace zamrit {

class MidiF0Data;

// The state of the one playback of the process, shared by the play thread that starts and
// stops it, the timer thread that runs its chain of firings and the thread that may ask it to
// stop. Each value is written by one side and read by the others.
class SequencerState {
public:
    static constexpr std::int32_t kStartTempoBpm = 240;

    std::atomic<MidiF0Data*> currentSequence{nullptr};
    std::atomic<std::int32_t> currentIndex{0};
    std::unique_ptr<MidiControler> device;  // owned; set and cleared on the play thread only
    std::atomic<MidiControler*> currentDevice{nullptr};
    std::atomic<std::int32_t> tempoBpm{kStartTempoBpm};
    std::atomic<std::int32_t> tickPeriodMs{0};
    std::atomic<std::int32_t> raisedPeriodMs{0};  // the timer period to end after playback, 0 = none
    std::atomic<std::int32_t> stopRequested{0};
    // Counts the playbacks started and stopped: a firing armed for an earlier playback finds a
    // different number and does nothing.
    std::atomic<std::uint32_t> chain{0};
    std::atomic<std::int32_t> playing{0};
    // CallBackPlayer only.
    std::atomic<std::int32_t> elapsedTicks{0};
    std::atomic<std::int32_t> endTick{-1};
    std::atomic<std::int32_t> completionCalled{0};
};

// The process-wide sequencer state.
SequencerState& Sequencer();

}  // namespace zamrit
