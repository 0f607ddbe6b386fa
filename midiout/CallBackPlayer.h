#pragma once

#include <cstdint>
#include <functional>

#include "melody/MusicEvent.h"
#include "midiout/MidiPlayer.h"

namespace zamrit {

class MidiF0Data;

// Called on the timer thread for every event sent: its index, the ticks elapsed up to it and
// the event.
using PlayObserver = std::function<void(std::int32_t index, std::int32_t elapsedTicks, const MusicEvent& event)>;
// Called once a playback is over; the result is not used.
using PlayCompletion = std::function<int()>;

// A MidiPlayer that also shows every event to an observer, can start at any tick and can stop
// at an end tick, where it calls the completion function (on the timer thread, before the
// playback counts as ended, so that it runs only once and before the device is reset).
class CallBackPlayer final : private MidiPlayer::FiringSteps {
public:
    static constexpr std::int32_t kNoEndTick = -1;

    CallBackPlayer(MidiF0Data& sequence, std::int32_t deviceId, PlayObserver observer,
                   std::int32_t initialTicks, std::int32_t startTick, std::int32_t endTick,
                   PlayCompletion completion = {});
    CallBackPlayer(const CallBackPlayer&) = delete;
    CallBackPlayer& operator=(const CallBackPlayer&) = delete;

    // True once the end tick has called the completion function.
    static bool CompletionCalled();

private:
    static void OnTimer(void* player);
    void Observe();
    void BeforeSend() override { Observe(); }
    // At the end tick: calls the completion function, or shows "CallBackPlayer Error!" when
    // there is none.
    bool EndsBefore(std::int32_t nextDelta) override;

    PlayObserver observer_;
    PlayCompletion completion_;
};

}  // namespace zamrit
