#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "melody/ErrorReporting.h"
#include "midiout/CallBackPlayer.h"
#include "midiout/MidiPlayer.h"
#include "midiout/PlayRequest.h"

namespace zamrit {

// Plays a ready sequence on a worker thread of its own, one playback at a time: the worker
// makes the player, waits for the end, calls the completion function, and then stops the
// player, which resets and closes the device. The sequence belongs to the request and the
// worker deletes it once the playback is over, whether it started or not.
class MusicPlayer {
public:
    static constexpr std::int32_t kWaitsBeforeStopRequest = 50;
    static constexpr std::int32_t kWaitsBeforeRefusal = 101;

    static MusicPlayer& Instance();

    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;
    ~MusicPlayer();

    // The play requests (on the requesting thread). Each waits for the previous playback to
    // end, hands the request to a new worker thread and returns 1 once the worker has taken
    // it (its player exists, or its start failed). A previous playback still running after
    // 50 waits of 100 ms is asked to stop; one still running after 101 makes the request
    // fail (GENE01000004 "Quit and restart!"): its completion function is called on the
    // requesting thread, the sequence is deleted and 0 is returned.
    static std::int32_t Play(std::unique_ptr<MidiF0Data> sequence, PlayCompletion completion);
    static std::int32_t Play(std::unique_ptr<MidiF0Data> sequence, PlayCompletion completion,
                             PlayObserver observer, std::int32_t initialTicks);
    static std::int32_t Play(std::unique_ptr<MidiF0Data> sequence, PlayCompletion completion,
                             PlayObserver observer, std::int32_t initialTicks, std::int32_t deleteWhenDone);
    static std::int32_t PlayOnThread(std::unique_ptr<MidiF0Data> sequence, PlayCompletion completion,
                                     PlayObserver observer, std::int32_t initialTicks,
                                     std::int32_t deleteWhenDone, std::int32_t startTick,
                                     std::int32_t endTick);

    // The worker's steps.
    std::int32_t StartPlayer(MidiF0Data& sequence, const PlayObserver& observer, std::int32_t initialTicks,
                             std::int32_t startTick, std::int32_t endTick, const PlayCompletion& completion);
    void WaitForEnd(const PlayRequest& request);
    void DestroyPlayer();

    // Asks the running playback to stop at once, at whatever point it is: before its device
    // opens, while it opens, during the pre-roll, while it plays. It then ends without calling
    // its completion function (a completion already running finishes).
    void RequestStop();
    std::int32_t HasPlayer() const { return playerMade.load(); }
    bool IsIdle() const { return idle.load() != 0; }
    // Waits (serving the thread's queued calls, as every sleep does) until no worker runs.
    void WaitUntilIdle();

    static void ReportError(ErrorCode code);

private:
    MusicPlayer();
    std::int32_t Request(PlayRequest request);
    void Work();
    void JoinFinishedWorker();

    std::atomic<std::int32_t> idle{1};
    std::atomic<std::int32_t> observing{0};   // the running request plays through a CallBackPlayer
    std::atomic<std::int32_t> playerMade{0};  // a player was made for the running request
    std::atomic<std::int32_t> requestTaken{0};
    std::atomic<std::int32_t> stopWanted{0};  // the running request was asked to stop
    std::unique_ptr<MidiPlayer> midiPlayer;          // worker thread only
    std::unique_ptr<CallBackPlayer> callBackPlayer;  // worker thread only
    PlayRequest request;                             // the request block
    std::thread worker;
};

}  // namespace zamrit
