#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "PlaybackFixture.h"
#include "melody/MobileCommand.h"
#include "melody/MobileData.h"
#include "midiout/MusicPlayer.h"

namespace zamrit {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;

constexpr std::int32_t kCapacity = 0x60000;

class MobileDataPlayTest : public PlaybackTest {
protected:
    RealTimeWaits waits;
    ScopedWaitHook quickWaits{waits};

    void TearDown() override { MusicPlayer::Instance().WaitUntilIdle(); }
};

// The melody may go as soon as Play has returned: the playback holds its own sequence.
TEST_F(MobileDataPlayTest, PlaysTheRangeAfterTheMelodyIsGone) {
    std::atomic<int> completions{0};
    {
        MobileTrackData track(kCapacity);
        track.AppendNote(400, 0, 60, 48, 100);
        track.AppendCommand(0, MusicEvent::kNoChannel, kTrackEnd, 0);
        auto melody = std::make_unique<MobileData>(kCapacity);
        melody->AddTrack(track);
        melody->timeBase = 96;
        melody->Play([&] { return ++completions; }, 0, melody->MeasureLength() * melody->MeasureCount());
    }
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(device.Messages(), (Lines{"F0 7E 7F 09 01 F7", "90 3C 64", "80 3C 00", "reset", "close"}));
    // 48 ticks at 120 beats per minute.
    const Lines sent = device.Lines();
    const auto timeOf = [](const std::string& line) { return std::stoll(line.substr(0, line.find(' '))); };
    EXPECT_EQ(timeOf(sent[2]) - timeOf(sent[1]), 250000);
    EXPECT_TRUE(reports.Lines().empty());
}

TEST_F(MobileDataPlayTest, SeventeenthListPlaysNothingAndCallsNobody) {
    MobileTrackData track(kCapacity);
    track.AppendNote(0, 0, 60, 48, 100);
    MobileData melody(kCapacity);
    for (int i = 0; i < 5; ++i) melody.AddTrack(track);
    melody.timeBase = 96;
    std::atomic<int> completions{0};
    melody.Play([&] { return ++completions; }, 0, 384);
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(device.OpenRequests().empty());
    EXPECT_EQ(reports.Lines(), Lines{"MBDT05000005 The number of chanel exceeds the number that can be played!"});
}

}  // namespace
}  // namespace zamrit
