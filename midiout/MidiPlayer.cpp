#include "midiout/MidiPlayer.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <vector>

#include "melody/ModuleReporter.h"
#include "melody/MusicConversions.h"
#include "midiout/SequencerState.h"
#include "midiseq/MidiF0Data.h"
#include "midiseq/MidiStatus.h"
#include "platform/PlatformVersion.h"
#include "platform/TimerService.h"
#include "platform/WaitHook.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 7> kTexts{{
    {0x08000001, "Division is too large!"},
    {0x08000002, "Can not use timer!"},
    {0x08000003, "Tempo is too slow!"},
    {0x08000004, "Internal error occured in MidiPlayer!"},
    {0x08000005, "Play point is wrong!"},
    {0x08000006, "Tempo is wrong!"},
    {0x08000007, "Musical data is invalid!"},
}};

constexpr ModuleReporter kReporter{"MDPL", kTexts, "Error occured in MidiPlayer!"};

constexpr ErrorCode kTempoTooSlow = 0x08000003;
constexpr ErrorCode kNotReady = 0x08000004;
constexpr ErrorCode kPlayPointWrong = 0x08000005;
constexpr ErrorCode kTempoWrong = 0x08000006;
constexpr ErrorCode kInvalidData = 0x08000007;
constexpr ErrorCode kCanNotUseTimer = 0x08000002;

constexpr std::int32_t kPreRollMajorVersion = 6;
constexpr std::uint32_t kPreRollPauseMs = 50;
constexpr std::int32_t kSlowestBpm = 10;
constexpr std::int32_t kBpmForTooFastTempo = 60;
constexpr std::int32_t kMetaTempo = 0x51;

std::int64_t TicksPerMinute(const MidiF0Data& sequence) {
    return static_cast<std::int64_t>(sequence.division) * Sequencer().tempoBpm.load();
}

void SetTempo(std::int32_t microsecondsPerQuarter) {
    if (microsecondsPerQuarter / 1000 == 0) {
        MidiPlayer::ReportError(kTempoWrong);
        Sequencer().tempoBpm = kBpmForTooFastTempo;
        return;
    }
    std::int32_t bpm = TempoToBpm(microsecondsPerQuarter);
    if (bpm < kSlowestBpm) {
        MidiPlayer::ReportError(kTempoTooSlow);
        bpm = kSlowestBpm;
    }
    Sequencer().tempoBpm = bpm;
}

// Sends the state that the events before `startTick` set up and returns where to go on.
MidiStatus::StartPoint ChaseTo(MidiF0Data& sequence, std::int32_t startTick) {
    auto status = std::make_unique<MidiStatus>();
    const MidiStatus::StartPoint start = status->CollectUntil(sequence, startTick);
    for (const MusicEvent& event : status->MakeEvents()) MidiPlayer::Dispatch(event);
    return start;
}

// Everything before the first note-on goes out at once, a short pause apart, so that programs
// and controllers are in place when the first note sounds. False when no note-on follows.
bool PreRoll(const MidiF0Data& sequence) {
    SequencerState& state = Sequencer();
    while (state.currentIndex < sequence.track->count() && state.stopRequested == 0) {
        const MusicEvent& event = sequence.track->At(state.currentIndex);
        if (event.kind == 0x90) return true;
        MidiPlayer::SendAndAdvance(event);
        SleepMilliseconds(kPreRollPauseMs);
    }
    return false;
}

// Milliseconds per tick at the starting tempo, never below the finest timer period; a
// sequence that gives no ticks per minute runs at the finest period (its first firing ends it).
std::int32_t TickPeriodFor(const MidiF0Data& sequence, std::uint32_t periodMin) {
    const std::int64_t ticksPerMinute = TicksPerMinute(sequence);
    const std::int64_t period = ticksPerMinute > 0 ? 60000 / ticksPerMinute : 0;
    return static_cast<std::int32_t>(std::max<std::int64_t>(period, periodMin));
}

}  // namespace

MidiPlayer::MidiPlayer(MidiF0Data& sequence, std::int32_t deviceId) {
    std::int32_t ticksBefore = 0;
    const std::int32_t resolution = Start(sequence, deviceId, 0, ticksBefore);
    if (resolution == 0) return;
    ArmFirstFiring(resolution, &MidiPlayer::OnTimer, this);
}

void MidiPlayer::ArmFirstFiring(std::int32_t resolution, void (*procedure)(void*), void* player) {
    if (!ArmTimer(static_cast<std::uint32_t>(Sequencer().tickPeriodMs.load()),
                  static_cast<std::uint32_t>(resolution), procedure, player)) {
        ReportError(kCanNotUseTimer);
        EndChain();
    }
}

std::int32_t MidiPlayer::Start(MidiF0Data& sequence, std::int32_t deviceId, std::int32_t startTick,
                               std::int32_t& ticksBefore) {
    SequencerState& state = Sequencer();
    ticksBefore = 0;
    if (sequence.state != MidiF0Data::kStateReady) {
        ReportError(kNotReady);
        return 0;
    }
    // A new chain: a stop asked for from here on (while the device opens, during the pre-roll)
    // holds for this playback.
    ++state.chain;
    state.stopRequested = 0;
    state.currentSequence = &sequence;
    state.device = std::make_unique<MidiControler>(deviceId);
    if (!state.device->IsOpen()) {
        state.device->Close();
        state.device.reset();
        state.currentDevice = nullptr;
        state.playing = 0;
        return 0;
    }
    state.currentDevice = state.device.get();
    state.device->SendGeneralMidiOn();
    state.completionCalled = 0;
    state.tempoBpm = SequencerState::kStartTempoBpm;
    state.playing = 1;

    state.currentIndex = 0;
    if (startTick != 0) {
        const MidiStatus::StartPoint start = ChaseTo(sequence, startTick);
        state.currentIndex = start.index;
        ticksBefore = start.ticks;
    }
    if (CurrentPlatformVersion().major >= kPreRollMajorVersion && !PreRoll(sequence)) {
        // Nothing left to play after the pre-roll: the playback is over before it began.
        EndChain();
        return 0;
    }
    if (state.stopRequested != 0) {
        EndChain();
        return 0;
    }

    TimerService& timers = CurrentTimerService();
    const std::uint32_t periodMin = timers.GetDevCaps().periodMin;
    state.tickPeriodMs = TickPeriodFor(sequence, periodMin);
    if (timers.BeginPeriod(static_cast<std::uint32_t>(state.tickPeriodMs.load()))) {
        state.raisedPeriodMs = state.tickPeriodMs.load();
    }
    return static_cast<std::int32_t>(periodMin);
}

void MidiPlayer::Stop() {
    SequencerState& state = Sequencer();
    ++state.chain;  // a firing still armed finds nothing to do
    if (state.device != nullptr) {
        state.currentDevice = nullptr;
        state.device->Close();
        state.device.reset();
    }
    if (const std::int32_t period = state.raisedPeriodMs.exchange(0); period != 0) {
        CurrentTimerService().EndPeriod(static_cast<std::uint32_t>(period));
    }
}

void MidiPlayer::Dispatch(const MusicEvent& event) {
    MidiControler* device = Sequencer().currentDevice;
    if (event.kind == 0xFF) {
        if (event.code == kMetaTempo) SetTempo(event.value);
        return;
    }
    if (device == nullptr) return;
    switch (event.kind) {
        case 0x80: device->NoteOff(event.key, event.channel); break;
        case 0x90: device->NoteOn(event.key, event.velocity, event.channel); break;
        case 0xB0: device->SendShortMessage(event.value, event.code, 0xB0 + event.channel); break;
        case 0xC0: device->ProgramChange(event.value, event.channel); break;
        case 0xE0: device->SendShortMessage(event.value, event.key, 0xE0 + event.channel); break;
        case 0xF0:
        case 0xF7: device->SendExclusive(event.dataLength, event.DataBytes()); break;
        default: break;
    }
}

std::int32_t MidiPlayer::SendAndAdvance(const MusicEvent& event) {
    SequencerState& state = Sequencer();
    Dispatch(event);
    const std::int32_t next = ++state.currentIndex;
    const MidiF0Data* sequence = state.currentSequence;
    if (sequence == nullptr || next >= sequence->track->count()) return -1;
    const std::int32_t delta = sequence->track->At(next).delta;
    if (delta < 0) ReportError(kInvalidData);
    return delta;
}

bool MidiPlayer::ArmTimer(std::uint32_t delayMs, std::uint32_t resolutionMs, void (*procedure)(void*),
                          void* player) {
    const std::uint32_t chain = Sequencer().chain;
    return CurrentTimerService().SetEvent(delayMs, resolutionMs, [procedure, player, chain] {
               if (Sequencer().chain == chain) procedure(player);
           }) != 0;
}

bool MidiPlayer::DelayOf(std::int32_t deltaTicks, std::int64_t& delayMs) {
    const std::int64_t ticksPerMinute = TicksPerMinute(*Sequencer().currentSequence.load());
    if (ticksPerMinute <= 0) {
        ReportError(kTempoWrong);
        return false;
    }
    delayMs = std::min<std::int64_t>(static_cast<std::int64_t>(deltaTicks) * 60000 / ticksPerMinute,
                                     std::numeric_limits<std::int32_t>::max());
    return true;
}

void MidiPlayer::EndChain() { Sequencer().playing = 0; }

void MidiPlayer::RequestStop() {
    SequencerState& state = Sequencer();
    state.stopRequested = 1;
    const std::uint32_t chain = state.chain;
    CurrentTimerService().SetEvent(0, CurrentTimerService().GetDevCaps().periodMin, [chain] {
        if (Sequencer().chain == chain && Sequencer().stopRequested != 0) EndChain();
    });
}

void MidiPlayer::Fire(FiringSteps& steps, void (*procedure)(void*), void* player) {
    SequencerState& state = Sequencer();
    if (state.stopRequested != 0) {
        EndChain();
        return;
    }
    const MidiF0Data& sequence = *state.currentSequence.load();
    if (state.currentIndex >= sequence.track->count()) {
        ReportError(kPlayPointWrong);
        EndChain();
        return;
    }
    std::int64_t delay = 0;
    do {
        steps.BeforeSend();
        const std::int32_t delta = SendAndAdvance(sequence.track->At(state.currentIndex));
        if (delta < 0 || steps.EndsBefore(delta) || !DelayOf(delta, delay)) {
            EndChain();
            return;
        }
    } while (delay <= 0);
    if (!ArmTimer(static_cast<std::uint32_t>(delay), static_cast<std::uint32_t>(state.tickPeriodMs.load()),
                  procedure, player)) {
        EndChain();
    }
}

void MidiPlayer::OnTimer(void* player) {
    struct SendOnly final : FiringSteps {};
    static SendOnly sendOnly;
    Fire(sendOnly, &MidiPlayer::OnTimer, player);
}

void MidiPlayer::ReportError(ErrorCode code) { kReporter.Report(code); }

}  // namespace zamrit
