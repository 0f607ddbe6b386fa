#include "midiout/CallBackPlayer.h"

#include "midiout/MidiPlayer.h"
#include "midiout/SequencerState.h"
#include "midiseq/MidiF0Data.h"

namespace zamrit {
namespace {

constexpr ErrorCode kCanNotUseTimer = 0x08000002;
constexpr ErrorCode kPlayPointWrong = 0x08000005;

}  // namespace

CallBackPlayer::CallBackPlayer(MidiF0Data& sequence, std::int32_t deviceId, PlayObserver observer,
                               std::int32_t initialTicks, std::int32_t startTick, std::int32_t endTick,
                               PlayCompletion completion)
    : observer_(std::move(observer)), completion_(std::move(completion)) {
    SequencerState& state = Sequencer();
    state.elapsedTicks = initialTicks;
    state.endTick = endTick;
    std::int32_t ticksBefore = 0;
    const std::int32_t resolution = MidiPlayer::Start(sequence, deviceId, startTick, ticksBefore);
    state.elapsedTicks += ticksBefore;
    if (resolution == 0) return;
    if (!MidiPlayer::ArmTimer(static_cast<std::uint32_t>(state.tickPeriodMs.load()),
                              static_cast<std::uint32_t>(resolution), &CallBackPlayer::OnTimer, this)) {
        MidiPlayer::ReportError(kCanNotUseTimer);
        MidiPlayer::EndChain();
    }
}

bool CallBackPlayer::CompletionCalled() { return Sequencer().completionCalled != 0; }

void CallBackPlayer::Observe() {
    SequencerState& state = Sequencer();
    const MidiF0Data& sequence = *state.currentSequence.load();
    const std::int32_t index = state.currentIndex;
    const MusicEvent& event = sequence.track->At(index);
    state.elapsedTicks += event.delta;
    if (observer_) observer_(index, state.elapsedTicks, event);
}

void CallBackPlayer::OnTimer(void* user) {
    auto& player = *static_cast<CallBackPlayer*>(user);
    SequencerState& state = Sequencer();
    if (state.stopRequested != 0) {
        MidiPlayer::EndChain();
        return;
    }
    const MidiF0Data& sequence = *state.currentSequence.load();
    if (state.currentIndex >= sequence.track->count()) {
        MidiPlayer::ReportError(kPlayPointWrong);
        MidiPlayer::EndChain();
        return;
    }
    player.Observe();
    std::int64_t delay = 0;
    for (;;) {
        const std::int32_t delta = MidiPlayer::SendAndAdvance(sequence.track->At(state.currentIndex));
        if (delta < 0) {
            MidiPlayer::EndChain();
            return;
        }
        if (state.endTick != CallBackPlayer::kNoEndTick &&
            static_cast<std::int64_t>(state.elapsedTicks) + delta >= state.endTick) {
            if (player.completion_) {
                player.completion_();
                state.completionCalled = 1;
            } else {
                ReportCallBackPlayerError();
            }
            MidiPlayer::EndChain();
            return;
        }
        if (!MidiPlayer::DelayOf(delta, delay)) {
            MidiPlayer::EndChain();
            return;
        }
        if (delay > 0) break;
        player.Observe();
    }
    if (!MidiPlayer::ArmTimer(static_cast<std::uint32_t>(delay), static_cast<std::uint32_t>(state.tickPeriodMs.load()),
                              &CallBackPlayer::OnTimer, user)) {
        MidiPlayer::EndChain();
    }
}

}  // namespace zamrit
