#include "midiout/MidiPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "PlaybackFixture.h"
#include "midiout/CallBackPlayer.h"
#include "midiout/SequencerState.h"

namespace zamrit {
namespace {

using namespace std::chrono_literals;
using namespace testing;
using Lines = std::vector<std::string>;

class MidiPlayerTest : public PlaybackTest {
protected:
    void TearDown() override { MidiPlayer::Stop(); }

    void Play(MidiF0Data& sequence) {
        MidiPlayer player(sequence, -1);
        timers.AdvanceBy(1h);
    }
};

// 96 ticks per quarter at 500000 µs per quarter: 11520 ticks per minute. System On at the
// open; the tempo goes in the pre-roll and the timer starts 50 ms later with a first delay of
// one tick period (5 ms). Then 48 ticks wait 250 ms, 24 ticks 125, 12 ticks 62, 1 tick 5, and
// events of 0 ms go out in the same firing.
TEST_F(MidiPlayerTest, WaitsTheDelayOfEachDeltaInWholeMilliseconds) {
    auto sequence = ReadySequence(Events(Tempo(0, 500000), NoteOn(0, 60), NoteOff(48, 60), NoteOn(24, 62),
                                         NoteOff(12, 62), NoteOn(1, 64), NoteOff(0, 64), EndOfTrack(0)));
    Play(*sequence);
    EXPECT_EQ(Sequencer().playing, 0);
    EXPECT_EQ(Sequencer().tickPeriodMs, 5);
    MidiPlayer::Stop();
    EXPECT_EQ(device.Lines(), (Lines{"0 F0 7E 7F 09 01 F7", "55000 90 3C 64", "305000 80 3C 00", "430000 90 3E 64",
                                     "492000 80 3E 00", "497000 90 40 64", "497000 80 40 00",
                                     "3600050000 reset", "3600050000 close"}));
    EXPECT_TRUE(reports.Lines().empty());
}

// At 960 ticks per quarter and 120 beats per minute a tick lasts 0.52 ms: one tick rounds down
// to 0 ms and goes out in the same firing, two ticks wait 1 ms.
TEST_F(MidiPlayerTest, DelayThatRoundsDownToZeroGoesOutInTheSameFiring) {
    auto sequence = ReadySequence(Events(Tempo(0, 500000), NoteOn(0, 60), NoteOff(1, 60), NoteOn(2, 61),
                                         NoteOff(0, 61), EndOfTrack(0)));
    sequence->division = 960;
    Play(*sequence);
    EXPECT_EQ(device.Lines(), (Lines{"0 F0 7E 7F 09 01 F7", "51000 90 3C 64", "51000 80 3C 00", "52000 90 3D 64",
                                     "52000 80 3D 00"}));
}

// 999 µs per quarter is too fast: 60 beats per minute. Seven seconds per quarter (8 beats per
// minute) is too slow: 10. A tempo sets the delays of the events after it.
TEST_F(MidiPlayerTest, ClampsTempoThatIsTooFastOrTooSlow) {
    auto sequence = ReadySequence(Events(Tempo(0, 999), NoteOn(0, 60), NoteOff(96, 60), Tempo(0, 7000000),
                                         NoteOn(0, 61), NoteOff(96, 61), EndOfTrack(0)));
    Play(*sequence);
    EXPECT_EQ(reports.Lines(), (Lines{"MDPL08000006 Tempo is wrong!", "MDPL08000003 Tempo is too slow!"}));
    EXPECT_EQ(Sequencer().tickPeriodMs, 10);  // 60000 / (96 × 60)
    const Lines lines = device.Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "60000 90 3C 64");
    EXPECT_EQ(lines[2], "1060000 80 3C 00");  // 96 ticks at 60 beats per minute
    EXPECT_EQ(lines[3], "1060000 90 3D 64");
    EXPECT_EQ(lines[4], "7060000 80 3D 00");  // 96 ticks at 10 beats per minute
}

// Everything before the first note-on goes out before the timer starts, 50 ms apart, whatever
// its delta times; the timer runs at the default 240 beats per minute (2 ms per tick, 96
// ticks in 250 ms).
TEST_F(MidiPlayerTest, PreRollSendsWhatComesBeforeTheFirstNote) {
    auto sequence = ReadySequence(Events(Program(10, 5), Control(500, 0, 7, 100), Control(0, 1, 10, 64),
                                         NoteOn(7, 60), NoteOff(96, 60), EndOfTrack(0)));
    Play(*sequence);
    EXPECT_EQ(device.Lines(), (Lines{"0 F0 7E 7F 09 01 F7", "0 C0 05", "50000 B0 07 64", "100000 B1 0A 40",
                                     "152000 90 3C 64", "402000 80 3C 00"}));
}

// Pitch bends and exclusive messages after the first note go out from the timer's firings
// like any other event: the bend with its two data bytes, the exclusive without its stored
// length byte.
TEST_F(MidiPlayerTest, PitchBendAndExclusiveGoOutFromTheTimer) {
    auto sequence = ReadySequence(Events(Tempo(0, 500000), NoteOn(0, 60), PitchBend(48, 1, 0x00, 0x40),
                                         Exclusive(0, {0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7}),
                                         NoteOff(48, 60), EndOfTrack(0)));
    Play(*sequence);
    EXPECT_EQ(device.Lines(), (Lines{"0 F0 7E 7F 09 01 F7", "55000 90 3C 64", "305000 E1 00 40",
                                     "305000 F0 7F 7F 04 01 00 64 F7", "555000 80 3C 00"}));
    EXPECT_TRUE(reports.Lines().empty());
}

TEST_F(MidiPlayerTest, StopRequestEndsThePlaybackAtTheNextFiring) {
    auto sequence = ReadySequence(Events(Tempo(0, 500000), NoteOn(0, 60), NoteOff(96, 60), NoteOn(0, 62),
                                         NoteOff(96, 62), EndOfTrack(0)));
    MidiPlayer player(*sequence, -1);
    timers.AdvanceBy(100ms);
    EXPECT_EQ(Sequencer().playing, 1);
    Sequencer().stopRequested = 1;
    timers.AdvanceBy(1h);
    EXPECT_EQ(Sequencer().playing, 0);
    MidiPlayer::Stop();
    EXPECT_EQ(device.Messages(), (Lines{"F0 7E 7F 09 01 F7", "90 3C 64", "reset", "close"}));
}

TEST_F(MidiPlayerTest, SequenceNotReadyPlaysNothing) {
    auto sequence = ReadySequence(Events(NoteOn(0, 60), EndOfTrack(0)));
    sequence->state = MidiF0Data::kStateUnderConstruction;
    MidiPlayer player(*sequence, -1);
    EXPECT_EQ(reports.Lines(), Lines{"MDPL08000004 Internal error occured in MidiPlayer!"});
    EXPECT_TRUE(device.OpenRequests().empty());
    EXPECT_EQ(Sequencer().playing, 0);
}

TEST_F(MidiPlayerTest, DeviceThatDoesNotOpenEndsTheStart) {
    device.RefuseOpen(-1);
    device.RefuseOpen(0);
    auto sequence = ReadySequence(Events(NoteOn(0, 60), EndOfTrack(0)));
    std::int32_t ticks = 0;
    EXPECT_EQ(MidiPlayer::Start(*sequence, -1, 0, ticks), 0);
    EXPECT_EQ(Sequencer().currentDevice, nullptr);
    EXPECT_EQ(Sequencer().playing, 0);
    EXPECT_EQ(reports.Lines(), Lines{"MDCT07000001 Can not open Midi device!"});
}

// A track without any note-on is over once its pre-roll has sent everything: the playback
// ends there instead of waiting for a timer that is never armed.
TEST_F(MidiPlayerTest, PreRollWithoutANoteEndsThePlayback) {
    auto sequence = ReadySequence(Events(Tempo(0, 500000), Program(0, 3), EndOfTrack(0)));
    MidiPlayer player(*sequence, -1);
    EXPECT_EQ(Sequencer().playing, 0);
    EXPECT_NE(Sequencer().currentDevice, nullptr);
    EXPECT_EQ(timers.RaisedPeriods(), 0);
    MidiPlayer::Stop();
    EXPECT_EQ(device.Messages(), (Lines{"F0 7E 7F 09 01 F7", "C0 03", "reset", "close"}));
}

TEST_F(MidiPlayerTest, RaisedTimerPeriodIsEndedByStop) {
    auto sequence = ReadySequence(Events(NoteOn(0, 60), NoteOff(96, 60), EndOfTrack(0)));
    Play(*sequence);
    EXPECT_EQ(timers.RaisedPeriods(), 1);
    MidiPlayer::Stop();
    EXPECT_EQ(timers.RaisedPeriods(), 0);
}

// A division of 0 gives no ticks per minute: the timer runs at the finest period and the
// first firing ends the playback with "Tempo is wrong!" instead of dividing by it.
TEST_F(MidiPlayerTest, NoTicksPerMinuteIsNeverDividedBy) {
    auto sequence = ReadySequence(Events(NoteOn(0, 60), NoteOff(96, 60), EndOfTrack(0)));
    sequence->division = 0;
    Play(*sequence);
    EXPECT_EQ(Sequencer().tickPeriodMs, 1);
    EXPECT_EQ(Sequencer().playing, 0);
    EXPECT_EQ(reports.Lines(), Lines{"MDPL08000006 Tempo is wrong!"});
    EXPECT_EQ(device.Messages().size(), 2u);  // System On, the first note
}

TEST_F(MidiPlayerTest, NegativeDeltaEndsThePlayback) {
    auto sequence = ReadySequence(Events(NoteOn(0, 60), NoteOff(-5, 60), EndOfTrack(0)));
    Play(*sequence);
    EXPECT_EQ(Sequencer().playing, 0);
    EXPECT_EQ(reports.Lines(), Lines{"MDPL08000007 Musical data is invalid!"});
}

// Starting at tick 96 sends the state set up before it (program, controller, tempo), then
// plays from the event at that tick; the observer sees every event sent with its tick; the
// end tick calls the completion function once and ends the playback.
TEST_F(MidiPlayerTest, CallBackPlayerChasesObservesAndStopsAtTheEndTick) {
    auto sequence = ReadySequence(Events(Program(0, 5), Control(0, 0, 7, 100), Tempo(0, 600000), NoteOn(0, 50),
                                         NoteOff(48, 50), NoteOn(48, 60), NoteOff(96, 60), NoteOn(0, 62),
                                         NoteOff(96, 62), EndOfTrack(0)));
    std::vector<std::pair<std::int32_t, std::int32_t>> seen;
    int completions = 0;
    CallBackPlayer player(
        *sequence, -1, [&](std::int32_t index, std::int32_t ticks, const MusicEvent&) { seen.emplace_back(index, ticks); },
        1000, 96, 1240, [&] { return ++completions; });
    timers.AdvanceBy(1h);
    EXPECT_EQ(Sequencer().playing, 0);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(CallBackPlayer::CompletionCalled());
    EXPECT_EQ(seen, (std::vector<std::pair<std::int32_t, std::int32_t>>{{5, 1096}, {6, 1192}, {7, 1192}}));
    EXPECT_EQ(device.Messages(), (Lines{"F0 7E 7F 09 01 F7", "C0 05", "B0 07 64", "90 3C 64", "80 3C 00", "90 3E 64"}));
}

TEST_F(MidiPlayerTest, CallBackPlayerEndTickWithoutCompletionShowsItsError) {
    auto sequence = ReadySequence(Events(NoteOn(0, 60), NoteOff(96, 60), EndOfTrack(0)));
    CallBackPlayer player(*sequence, -1, nullptr, 0, 0, 50);
    timers.AdvanceBy(1h);
    EXPECT_EQ(Sequencer().playing, 0);
    EXPECT_EQ(reports.Lines(), Lines{"CallBackPlayer Error!"});
}

// Without an end tick the player observes every event up to the end of the track, where the
// chain ends without calling anybody: the end is the worker's to answer.
TEST_F(MidiPlayerTest, CallBackPlayerWithoutEndTickPlaysToTheEndOfTrack) {
    auto sequence = ReadySequence(Events(NoteOn(0, 60), NoteOff(96, 60), EndOfTrack(0)));
    std::vector<std::int32_t> seen;
    int completions = 0;
    CallBackPlayer player(
        *sequence, -1, [&](std::int32_t index, std::int32_t, const MusicEvent&) { seen.push_back(index); }, 0, 0,
        CallBackPlayer::kNoEndTick, [&] { return ++completions; });
    timers.AdvanceBy(1h);
    EXPECT_EQ(Sequencer().playing, 0);
    EXPECT_EQ(seen, (std::vector<std::int32_t>{0, 1, 2}));
    EXPECT_EQ(completions, 0);
    EXPECT_FALSE(CallBackPlayer::CompletionCalled());
    EXPECT_TRUE(reports.Lines().empty());
}

// A stop request ends the playback at the next firing, before its end tick: nothing more is
// sent or observed and the completion function is not called.
TEST_F(MidiPlayerTest, CallBackPlayerStopsAtTheNextFiringWithoutItsCompletion) {
    auto sequence = ReadySequence(Events(Tempo(0, 500000), NoteOn(0, 60), NoteOff(96, 60), NoteOn(0, 62),
                                         NoteOff(96, 62), EndOfTrack(0)));
    std::vector<std::int32_t> seen;
    int completions = 0;
    CallBackPlayer player(
        *sequence, -1, [&](std::int32_t index, std::int32_t, const MusicEvent&) { seen.push_back(index); }, 0, 0,
        10000, [&] { return ++completions; });
    timers.AdvanceBy(100ms);
    EXPECT_EQ(Sequencer().playing, 1);
    Sequencer().stopRequested = 1;
    timers.AdvanceBy(1h);
    EXPECT_EQ(Sequencer().playing, 0);
    EXPECT_EQ(seen, (std::vector<std::int32_t>{1}));
    EXPECT_EQ(completions, 0);
    EXPECT_FALSE(CallBackPlayer::CompletionCalled());
    MidiPlayer::Stop();
    EXPECT_EQ(device.Messages(), (Lines{"F0 7E 7F 09 01 F7", "90 3C 64", "reset", "close"}));
}

}  // namespace
}  // namespace zamrit
