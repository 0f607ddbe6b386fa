#include "midiout/MusicPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "PlaybackFixture.h"
#include "midiout/SequencerState.h"
#include "platform/WaitHook.h"

namespace zamrit {
namespace {

using namespace std::chrono_literals;
using namespace testing;
using Lines = std::vector<std::string>;

class MusicPlayerTest : public PlaybackTest {
protected:
    RealTimeWaits waits;
    ScopedWaitHook quickWaits{waits};

    void TearDown() override { MusicPlayer::Instance().WaitUntilIdle(); }

    static std::unique_ptr<MidiF0Data> ShortPiece() {
        return ReadySequence(Events(Tempo(0, 500000), NoteOn(0, 60), NoteOff(48, 60), EndOfTrack(0)));
    }
    // Nearly three hours at 120 beats per minute, a note every quarter.
    static std::unique_ptr<MidiF0Data> LongPiece() {
        auto sequence = ReadySequence(Events(Tempo(0, 500000)));
        for (int note = 0; note < 20000; ++note) {
            sequence->track->Append(NoteOn(0, 60));
            sequence->track->Append(NoteOff(96, 60));
        }
        sequence->track->Append(EndOfTrack(0));
        return sequence;
    }
};

// The completion function runs once, on the worker thread, while the device is still open;
// the device is reset and closed after it returns.
TEST_F(MusicPlayerTest, CompletionRunsOnTheWorkerBeforeTheDeviceIsReset) {
    std::atomic<int> completions{0};
    std::thread::id completionThread;
    Lines sentBeforeCompletion;
    const std::int32_t result = MusicPlayer::Play(ShortPiece(), [&] {
        completionThread = std::this_thread::get_id();
        sentBeforeCompletion = device.Messages();
        return ++completions;
    });
    EXPECT_EQ(result, 1);
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_EQ(completions, 1);
    EXPECT_NE(completionThread, std::this_thread::get_id());
    EXPECT_EQ(sentBeforeCompletion, (Lines{"F0 7E 7F 09 01 F7", "90 3C 64", "80 3C 00"}));
    EXPECT_EQ(device.Messages(), (Lines{"F0 7E 7F 09 01 F7", "90 3C 64", "80 3C 00", "reset", "close"}));
    EXPECT_EQ(MusicPlayer::Instance().HasPlayer(), 0);
    EXPECT_EQ(timers.RaisedPeriods(), 0);
    EXPECT_TRUE(reports.Lines().empty());
}

// Without any MIDI output device the completion function is still called, at once, from the
// worker; the missing device is reported once in the life of the process.
TEST_F(MusicPlayerTest, NoDeviceCallsTheCompletionAtOnce) {
    RecordingMidiOutService none(0);
    ScopedMidiOutService installed(none);
    std::atomic<int> completions{0};
    std::thread::id completionThread;
    const auto completion = [&] {
        completionThread = std::this_thread::get_id();
        return ++completions;
    };
    EXPECT_EQ(MusicPlayer::Play(ShortPiece(), completion), 1);
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_EQ(MusicPlayer::Play(ShortPiece(), completion), 1);
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_EQ(completions, 2);
    EXPECT_NE(completionThread, std::this_thread::get_id());
    // Reported at most once in the life of the process (once here when run on its own).
    const Lines reported = reports.Lines();
    EXPECT_LE(reported.size(), 1u);
    for (const auto& line : reported) EXPECT_EQ(line, "MDCT07000001 Can not open Midi device!");
}

TEST_F(MusicPlayerTest, StoppedPlaybackEndsWithoutItsCompletion) {
    std::atomic<int> completions{0};
    MusicPlayer::Play(LongPiece(), [&] { return ++completions; });
    EXPECT_EQ(MusicPlayer::Instance().HasPlayer(), 1);
    MusicPlayer::Instance().RequestStop();
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_EQ(completions, 0);
    const Lines sent = device.Messages();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent.front(), "F0 7E 7F 09 01 F7");
    EXPECT_EQ(Lines(sent.end() - 2, sent.end()), (Lines{"reset", "close"}));
}

// A request while a piece still plays waits; after 50 waits the running piece is asked to
// stop (without its completion) and the new one plays.
TEST_F(MusicPlayerTest, NewRequestStopsAPieceThatDoesNotEnd) {
    std::atomic<int> first{0};
    std::atomic<int> second{0};
    MusicPlayer::Play(LongPiece(), [&] { return ++first; });
    EXPECT_EQ(MusicPlayer::Play(ShortPiece(), [&] { return ++second; }), 1);
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(reports.Lines().empty());
    EXPECT_EQ(device.OpenedDevices().size(), 2u);
}

// A playback that still runs after 101 waits (here: its completion function does not return)
// keeps the request block: the new request is refused with "Quit and restart!" and its own
// completion function is called so that its caller can recover.
TEST_F(MusicPlayerTest, RequestStillWaitingAfter101WaitsIsRefused) {
    std::atomic<bool> release{false};
    MusicPlayer::Play(ShortPiece(), [&] {
        while (!release) std::this_thread::sleep_for(1ms);
        return 0;
    });
    std::atomic<int> refused{0};
    EXPECT_EQ(MusicPlayer::Play(ShortPiece(), [&] { return ++refused; }), 0);
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(reports.Lines(), Lines{"GENE01000004 Quit and restart!"});
    EXPECT_EQ(device.OpenedDevices().size(), 1u);
    release = true;
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_EQ(device.Messages().back(), "close");
}

TEST_F(MusicPlayerTest, CallBackPlayerCompletionRunsOnceAtTheEndTick) {
    std::atomic<int> completions{0};
    std::atomic<int> observed{0};
    auto sequence = ReadySequence(Events(NoteOn(0, 60), NoteOff(96, 60), NoteOn(0, 62), NoteOff(96, 62), EndOfTrack(0)));
    EXPECT_EQ(MusicPlayer::PlayOnThread(std::move(sequence), [&] { return ++completions; },
                                        [&](std::int32_t, std::int32_t, const MusicEvent&) { ++observed; }, 0, 1, 0,
                                        150),
              1);
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(observed, 3);
    EXPECT_EQ(device.Messages(), (Lines{"F0 7E 7F 09 01 F7", "90 3C 64", "80 3C 00", "90 3E 64", "reset", "close"}));
}

// A message sink that, like a GUI, shows lines only on its own thread: a line from another
// thread is queued and its thread waits until the owner has served it.
class HandOverSink final : public MessageSink, public WaitHook {
public:
    void Show(const std::string& line) override {
        std::unique_lock lock(mutex_);
        if (std::this_thread::get_id() == owner_) {
            shown_.push_back(line);
            return;
        }
        queued_.push_back(line);
        const std::size_t mine = shown_.size() + queued_.size();
        served_.wait(lock, [&] { return shown_.size() >= mine; });
    }
    void WaitFor(std::chrono::milliseconds duration) override {
        {
            std::lock_guard lock(mutex_);
            while (!queued_.empty()) {
                shown_.push_back(queued_.front());
                queued_.pop_front();
            }
        }
        served_.notify_all();
        std::this_thread::sleep_for(std::min(duration, std::chrono::milliseconds(1)));
    }
    Lines Shown() {
        std::lock_guard lock(mutex_);
        return shown_;
    }

private:
    std::thread::id owner_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::condition_variable served_;
    std::deque<std::string> queued_;
    Lines shown_;
};

// Reports raised on the worker while the requesting thread waits for it are served by that
// thread's waits, so neither waits for the other for ever.
TEST_F(MusicPlayerTest, ReportFromTheWorkerIsServedWhileTheRequesterWaits) {
    HandOverSink sink;
    ScopedMessageSink installedSink(sink);
    ScopedWaitHook servingWaits(sink);
    auto sequence = ShortPiece();
    sequence->state = MidiF0Data::kStateUnderConstruction;
    std::atomic<int> completions{0};
    EXPECT_EQ(MusicPlayer::Play(std::move(sequence), [&] { return ++completions; }), 1);
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(sink.Shown(), (Lines{"MDSP09000001 Internal Error occured in MusicPlayer!",
                                   "MDPL08000004 Internal error occured in MidiPlayer!"}));
}

}  // namespace
}  // namespace zamrit
