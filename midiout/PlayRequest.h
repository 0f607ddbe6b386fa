#pragma once

#include <cstdint>
#include <memory>

#include "midiout/CallBackPlayer.h"
#include "midiseq/MidiF0Data.h"

namespace zamrit {

// What a requesting thread hands to the player's worker thread: the sequence, which now
// belongs to the request, and how to play it.
struct PlayRequest {
    std::unique_ptr<MidiF0Data> sequence;
    PlayCompletion completion;        // called when the playback is over, or none
    PlayObserver observer;            // none: plays through a MidiPlayer
    std::int32_t initialTicks = 0;    // first value of the observer's tick count
    std::int32_t deleteWhenDone = 0;  // 1: the sequence goes before the device is reset
    std::int32_t startTick = 0;
    std::int32_t endTick = CallBackPlayer::kNoEndTick;
};

}  // namespace zamrit
