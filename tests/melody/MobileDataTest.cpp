#include "melody/MobileData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "melody/MobileCommand.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::RecordedReports;

constexpr std::int32_t kCapacity = 0x60000;
constexpr std::int32_t kNone = MusicEvent::kNoChannel;

TEST(MobileDataTest, StartsEmptyWithItsDefaults) {
    const MobileData melody(kCapacity);
    EXPECT_EQ(melody.channelCount, 0);
    EXPECT_EQ(melody.tempo, 500000);
    EXPECT_EQ(melody.timeSignature, 0);
    EXPECT_EQ(melody.title, "Untitled");
    EXPECT_EQ(melody.copyright, "No Copyright Info");
    EXPECT_EQ(melody.MeasureCount(), 0);
}

TEST(MobileDataTest, AddTrackSplitsChannelsAndCopiesChannelFreeEventsToAllFour) {
    MobileTrackData track(kCapacity);
    track.AppendCommand(0, kNone, kTempo, 500000);
    track.AppendNote(100, 0, 60, 50, 100);
    track.AppendNote(200, 2, 64, 50, 100);  // tick 300
    track.AppendCommand(84, kNone, kTrackEnd, 0);  // tick 384

    MobileData melody(kCapacity);
    melody.AddTrack(track);
    ASSERT_EQ(melody.channelCount, 4);
    for (std::int32_t k = 0; k < 4; ++k) {
        const MobileChannelData& list = melody.Channel(k);
        EXPECT_EQ(list.index, k);
        EXPECT_EQ(list.At(0).code, kTempo);
        EXPECT_EQ(list.At(0).delta, 0);
        EXPECT_EQ(list.At(list.count() - 1).code, kTrackEnd);
    }
    EXPECT_EQ(melody.Channel(0).At(1).delta, 100);
    EXPECT_EQ(melody.Channel(0).At(2).delta, 284);
    EXPECT_EQ(melody.Channel(2).At(1).delta, 300);
    EXPECT_EQ(melody.Channel(2).At(2).delta, 84);
    EXPECT_EQ(melody.Channel(3).At(1).delta, 384);
}

TEST(MobileDataTest, DrumModeCommandsSetTheListType) {
    MobileTrackData track(kCapacity);
    track.AppendCommand(0, 3, kDrumMode, 1);
    track.AppendCommand(0, 1, kDrumMode, 0);
    MobileData melody(kCapacity);
    melody.AddTrack(track);
    EXPECT_EQ(melody.Channel(0).channelType, MobileChannelData::kUnset);
    EXPECT_EQ(melody.Channel(1).channelType, MobileChannelData::kMelody);
    EXPECT_EQ(melody.Channel(3).channelType, MobileChannelData::kDrum);
}

TEST(MobileDataTest, AnEventOfAnotherChannelIsReportedAndDropped) {
    RecordedReports reports;
    MobileTrackData track(kCapacity);
    track.AppendNote(10, 5, 60, 10, 100);
    track.AppendNote(10, 0, 62, 10, 100);
    MobileData melody(kCapacity);
    melody.AddTrack(track);
    EXPECT_THAT(reports.Lines(), ElementsAre("MBDT05000002 Internal error occured in MobileData!"));
    ASSERT_EQ(melody.Channel(0).count(), 1);
    EXPECT_EQ(melody.Channel(0).At(0).delta, 20) << "the dropped event's time is kept";
}

TEST(MobileDataTest, TracksPastTheTableOfListsAreReportedAndLeftOut) {
    RecordedReports reports;
    const MobileTrackData track(kCapacity);
    MobileData melody(kCapacity);
    for (int i = 0; i < 65; ++i) melody.AddTrack(track);
    EXPECT_EQ(melody.channelCount, 256);
    EXPECT_THAT(reports.Lines(),
                ElementsAre("MBDT05000003 Channel number exceeds the number which was expected!"));
}

TEST(MobileDataTest, MeasureLengthFollowsTheTimeSignature) {
    struct Case {
        std::int32_t timeSignature;
        std::int32_t timeBase;
        std::int32_t ticks;
    };
    const Case cases[] = {
        {0, 96, 384},       {0x0404, 96, 384},  {0x0304, 96, 288},   {0x0608, 96, 288},
        {0x0304, 0, 384},   {0x0300, 96, 384},  // a denominator of 0 counts as no signature
        {0x0004, 96, 384},  // neither does a measure of no ticks
        {0x0304, 48, 144},
    };
    for (const Case& c : cases) {
        MobileData melody(kCapacity);
        melody.timeSignature = c.timeSignature;
        melody.timeBase = c.timeBase;
        EXPECT_EQ(melody.MeasureLength(), c.ticks) << std::hex << c.timeSignature;
    }
}

TEST(MobileDataTest, MeasureCountIsTheLongestListInWholeMeasures) {
    struct Case {
        std::int32_t lastNoteTick;
        std::int32_t duration;
        std::int32_t measures;
    };
    // 1500 + 100 = 1600 ticks: five measures of 384, so the game plays 0 to 1920.
    // 32 bars of 288 ticks: 9216 ticks, exactly 24 measures; 9300 ticks need 25.
    const Case cases[] = {{1500, 100, 5}, {9216 - 288, 288, 24}, {9300 - 100, 100, 25}};
    for (const Case& c : cases) {
        MobileTrackData track(kCapacity);
        track.AppendNote(0, 1, 60, 10, 100);
        track.AppendNote(c.lastNoteTick, 0, 60, c.duration, 100);
        MobileData melody(kCapacity);
        melody.AddTrack(track);
        melody.timeBase = 96;
        EXPECT_EQ(melody.MeasureLength(), 384);
        EXPECT_EQ(melody.MeasureCount(), c.measures) << c.lastNoteTick;
    }
}

}  // namespace
}  // namespace zamrit
