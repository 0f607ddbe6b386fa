#pragma once

#include <cstdint>

#include "melody/ErrorReporting.h"
#include "melody/MusicEvent.h"

namespace zamrit {

class MidiF0Data;

// Plays a ready sequence on the MIDI mapper, driven by a chain of one-shot timers: each firing
// sends the event that is due and every following event whose delay rounds down to 0 ms, then
// arms the timer for the next one. The delay of an event is its delta time at the current
// tempo, in whole milliseconds.
//
// The playback's state is process-wide (one playback at a time); the player object is only
// what the timer calls back. The static operations are the machinery it shares with
// CallBackPlayer.
class MidiPlayer {
public:
    // What a firing asks of the player it runs for, around each event it sends. The plain
    // player asks nothing; CallBackPlayer shows each event to its observer and ends at its
    // end tick.
    class FiringSteps {
    public:
        // Before the event at the current index is sent.
        virtual void BeforeSend() {}
        // After it was sent, with the delta time of the next event: true when the playback is
        // to end there (the player has then done what its end asks).
        virtual bool EndsBefore(std::int32_t /*nextDelta*/) { return false; }

    protected:
        ~FiringSteps() = default;
    };

    // Starts the playback at tick 0 on `deviceId` and arms the first timer.
    MidiPlayer(MidiF0Data& sequence, std::int32_t deviceId);
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    // Opens the device, sends General MIDI System On, restores the MIDI state before
    // `startTick` and sends what comes before the first note (the pre-roll). Returns the
    // resolution of the first timer, or 0 when no timer is to be armed; `ticksBefore` is set
    // to the ticks of the events skipped up to `startTick`.
    static std::int32_t Start(MidiF0Data& sequence, std::int32_t deviceId, std::int32_t startTick,
                              std::int32_t& ticksBefore);
    // Resets, closes and deletes the playback's device and ends the raised timer period.
    static void Stop();
    static void Dispatch(const MusicEvent& event);
    // Sends the event at the current index and moves on; returns the delta time of the next
    // event, or -1 at the end of the track.
    static std::int32_t SendAndAdvance(const MusicEvent& event);

    // Arms the first firing of a started playback, one tick period on; a timer that can't be
    // armed is reported (08000002) and ends the chain.
    static void ArmFirstFiring(std::int32_t resolution, void (*procedure)(void*), void* player);
    // One firing: sends the event that is due and every following one whose delay rounds
    // down to 0 ms, then arms `procedure` for the next. A stop request, an index past the track
    // (08000005), the end of the track, the steps' end or a tempo without ticks ends the chain.
    static void Fire(FiringSteps& steps, void (*procedure)(void*), void* player);
    // Arms the next firing `delayMs` after the one running (the first: after the tick period).
    static bool ArmTimer(std::uint32_t delayMs, std::uint32_t resolutionMs, void (*procedure)(void*),
                         void* player);
    // The delay of `deltaTicks` at the current tempo, in whole milliseconds; false (reported
    // as 08000006) when the division and tempo give no ticks per minute.
    static bool DelayOf(std::int32_t deltaTicks, std::int64_t& delayMs);
    // Ends the chain: nothing runs on the timer thread for this playback after it.
    static void EndChain();
    // Asks the playback to stop at once, from any thread: the pre-roll breaks off, and a firing
    // due now ends the chain instead of the next event's (which may be a long rest away).
    static void RequestStop();

    static void ReportError(ErrorCode code);

private:
    static void OnTimer(void* player);
};

}  // namespace zamrit
