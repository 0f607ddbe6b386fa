#include "midiout/MusicPlayer.h"

#include <array>

#include "melody/ModuleReporter.h"
#include "midiout/SequencerState.h"
#include "platform/MessageSink.h"
#include "platform/MidiOutService.h"
#include "platform/TimerService.h"
#include "platform/WaitHook.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 1> kTexts{{
    {0x09000001, "Internal Error occured in MusicPlayer!"},
}};

constexpr ModuleReporter kReporter{"MDSP", kTexts, "Error occured in MusicPlayer!"};

constexpr ErrorCode kNotReady = 0x09000001;
constexpr ErrorCode kQuitAndRestart = 0x01000004;
constexpr std::uint32_t kIdlePollMs = 100;
constexpr std::uint32_t kTakenPollMs = 50;
constexpr std::uint32_t kPlayingPollMs = 100;

}  // namespace

MusicPlayer::MusicPlayer() {
    // The process-wide services the worker uses must outlive the player at the program's end.
    CurrentTimerService();
    CurrentMidiOutService();
    CurrentMessageSink();
    Sequencer();
}

MusicPlayer::~MusicPlayer() {
    RequestStop();
    if (worker.joinable()) worker.join();
}

MusicPlayer& MusicPlayer::Instance() {
    static MusicPlayer player;
    return player;
}

std::int32_t MusicPlayer::Play(std::unique_ptr<MidiF0Data> sequence, PlayCompletion completion) {
    return Play(std::move(sequence), std::move(completion), nullptr, 0);
}

std::int32_t MusicPlayer::Play(std::unique_ptr<MidiF0Data> sequence, PlayCompletion completion,
                               PlayObserver observer, std::int32_t initialTicks) {
    return Play(std::move(sequence), std::move(completion), std::move(observer), initialTicks, 0);
}

std::int32_t MusicPlayer::Play(std::unique_ptr<MidiF0Data> sequence, PlayCompletion completion,
                               PlayObserver observer, std::int32_t initialTicks, std::int32_t deleteWhenDone) {
    return PlayOnThread(std::move(sequence), std::move(completion), std::move(observer), initialTicks,
                        deleteWhenDone, 0, CallBackPlayer::kNoEndTick);
}

std::int32_t MusicPlayer::PlayOnThread(std::unique_ptr<MidiF0Data> sequence, PlayCompletion completion,
                                       PlayObserver observer, std::int32_t initialTicks,
                                       std::int32_t deleteWhenDone, std::int32_t startTick,
                                       std::int32_t endTick) {
    return Instance().Request(PlayRequest{std::move(sequence), std::move(completion), std::move(observer),
                                          initialTicks, deleteWhenDone, startTick, endTick});
}

std::int32_t MusicPlayer::Request(PlayRequest next) {
    std::int32_t waits = 0;
    while (idle == 0) {
        SleepMilliseconds(kIdlePollMs);
        ++waits;
        if (waits == kWaitsBeforeStopRequest) RequestStop();
        if (waits >= kWaitsBeforeRefusal) {
            // The earlier playback still holds the request block and the sequencer: this
            // request can not go ahead. Its caller learns so through its completion function.
            ReportGeneralError(kQuitAndRestart);
            if (next.completion) next.completion();
            return 0;
        }
    }
    JoinFinishedWorker();

    request = std::move(next);
    playerMade = 0;
    requestTaken = 0;
    stopWanted = 0;
    idle = 0;
    worker = std::thread([this] { Work(); });

    while (requestTaken == 0) SleepMilliseconds(kTakenPollMs);
    return 1;
}

void MusicPlayer::Work() {
    idle = 0;
    // A request stopped before its start plays nothing and calls nobody.
    constexpr std::int32_t kStoppedBeforeStart = -1;
    const std::int32_t started =
        stopWanted != 0 ? kStoppedBeforeStart
                        : StartPlayer(*request.sequence, request.observer, request.initialTicks,
                                      request.startTick, request.endTick, request.completion);
    // The start cleared the sequencer's stop flag; a stop asked for meanwhile still holds.
    if (started == 1 && stopWanted != 0) MidiPlayer::RequestStop();
    requestTaken = 1;
    if (started == 1) {
        WaitForEnd(request);
        if (request.deleteWhenDone == 1) request.sequence.reset();
        DestroyPlayer();
    } else if (started == 0 && request.completion) {
        request.completion();
    }
    // Nobody else holds the sequence: it goes whatever the request said.
    request = PlayRequest{};
    idle = 1;
}

std::int32_t MusicPlayer::StartPlayer(MidiF0Data& sequence, const PlayObserver& observer,
                                      std::int32_t initialTicks, std::int32_t startTick, std::int32_t endTick,
                                      const PlayCompletion& completion) {
    observing = 0;
    if (sequence.state != MidiF0Data::kStateReady) ReportError(kNotReady);
    if (observer) {
        observing = 1;
        callBackPlayer = std::make_unique<CallBackPlayer>(sequence, MidiOutService::kMidiMapper, observer,
                                                          initialTicks, startTick, endTick, completion);
    } else {
        midiPlayer = std::make_unique<MidiPlayer>(sequence, MidiOutService::kMidiMapper);
    }
    playerMade = 1;
    if (Sequencer().currentDevice != nullptr) return 1;
    // The start failed: the player goes at once, but the request still counts as taken.
    MidiPlayer::Stop();
    midiPlayer.reset();
    callBackPlayer.reset();
    return 0;
}

void MusicPlayer::WaitForEnd(const PlayRequest& playing) {
    while (Sequencer().playing != 0) SleepMilliseconds(kPlayingPollMs);
    // A stopped playback calls nobody; one that reached its end tick has called already.
    if (Sequencer().stopRequested == 0 && stopWanted == 0 && playing.completion &&
        !CallBackPlayer::CompletionCalled()) {
        playing.completion();
    }
}

void MusicPlayer::DestroyPlayer() {
    MidiPlayer::Stop();
    callBackPlayer.reset();
    midiPlayer.reset();
    observing = 0;
    playerMade = 0;
}

void MusicPlayer::RequestStop() {
    if (idle != 0) return;
    stopWanted = 1;
    MidiPlayer::RequestStop();
}

void MusicPlayer::WaitUntilIdle() {
    while (idle == 0) SleepMilliseconds(kTakenPollMs);
    JoinFinishedWorker();
}

void MusicPlayer::JoinFinishedWorker() {
    if (worker.joinable() && worker.get_id() != std::this_thread::get_id()) worker.join();
}

void MusicPlayer::ReportError(ErrorCode code) { kReporter.Report(code); }

}  // namespace zamrit
