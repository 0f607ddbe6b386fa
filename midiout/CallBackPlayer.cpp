#include "midiout/CallBackPlayer.h"

#include "midiout/MidiPlayer.h"
#include "midiout/SequencerState.h"
#include "midiseq/MidiF0Data.h"

namespace zamrit {

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
    MidiPlayer::ArmFirstFiring(resolution, &CallBackPlayer::OnTimer, this);
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

bool CallBackPlayer::EndsBefore(std::int32_t nextDelta) {
    SequencerState& state = Sequencer();
    if (state.endTick == kNoEndTick || static_cast<std::int64_t>(state.elapsedTicks) + nextDelta < state.endTick) {
        return false;
    }
    if (completion_) {
        completion_();
        state.completionCalled = 1;
    } else {
        ReportCallBackPlayerError();
    }
    return true;
}

void CallBackPlayer::OnTimer(void* user) {
    auto& player = *static_cast<CallBackPlayer*>(user);
    MidiPlayer::Fire(player, &CallBackPlayer::OnTimer, user);
}

}  // namespace zamrit
