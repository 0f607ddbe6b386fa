#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "MidiEvents.h"
#include "melody/MobileCommand.h"
#include "melody/MobileData.h"
#include "midiseq/MidiF0Data.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::RecordedReports;
using testing::Timed;
using testing::Timeline;

constexpr std::int32_t kCapacity = 0x60000;
constexpr std::int32_t kNone = MusicEvent::kNoChannel;

TEST(MakeSequenceTest, ASeventeenthEnabledListIsRefused) {
    RecordedReports reports;
    MobileData melody(kCapacity);
    MobileTrackData track(kCapacity);
    track.AppendNote(0, 0, 60, 48, 100);
    for (int i = 0; i < 5; ++i) melody.AddTrack(track);
    melody.timeBase = 96;
    EXPECT_EQ(melody.MakeSequence(0, 384), nullptr);
    EXPECT_THAT(reports.Lines(), ElementsAre("MBDT05000005 The number of chanel exceeds the "
                                             "number that can be played!"));

    // Disabled lists are not played and do not count.
    reports.Clear();
    for (std::int32_t i = 16; i < 20; ++i) melody.channels[i]->enabled = 0;
    EXPECT_NE(melody.MakeSequence(0, 384), nullptr);
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST(MakeSequenceTest, AMelodyWithoutListsGivesTempoAndEndOfTrack) {
    const MobileData melody(kCapacity);
    const auto sequence = melody.MakeSequence(0, 0);
    ASSERT_NE(sequence, nullptr);
    EXPECT_EQ(sequence->state, MidiF0Data::kStateReady);
    EXPECT_EQ(sequence->division, 96);
    EXPECT_THAT(Timeline(*sequence->track),
                ElementsAre(Timed{0, 0xFF, 0, kNone}, Timed{0, 0xFF, 0, kNone}));
    EXPECT_EQ(sequence->track->At(0).code, MidiTrackData::kSetTempo);
    EXPECT_EQ(sequence->track->At(0).value, 500000);
    EXPECT_EQ(sequence->track->At(1).code, MidiTrackData::kEndOfTrack);
}

TEST(MakeSequenceTest, ASilentFirstMeasureIsTrimmedAndTheMelodyKept) {
    MobileTrackData track(kCapacity);
    track.AppendCommand(0, 0, kVoice, 6);
    track.AppendNote(400, 0, 60, 48, 100);
    track.AppendNote(0, 1, 64, 96, 100);
    track.AppendCommand(96, kNone, kTrackEnd, 0);
    MobileData melody(kCapacity);
    melody.AddTrack(track);
    melody.timeBase = 96;
    const std::int32_t end = melody.MeasureLength() * melody.MeasureCount();
    ASSERT_EQ(end, 768);

    for (int run = 0; run < 2; ++run) {
        std::int32_t trimmed = -1;
        const auto sequence = melody.MakeSequence(0, end, &trimmed);
        ASSERT_NE(sequence, nullptr);
        EXPECT_EQ(trimmed, 384);
        // The merged lists may keep two track ends at their last tick; both end up last.
        auto timeline = Timeline(*sequence->track);
        ASSERT_GE(timeline.size(), 7u);
        timeline.resize(7);
        EXPECT_THAT(timeline, ElementsAre(Timed{0, 0xFF, 0, kNone}, Timed{0, 0xC0, 0, 0},
                                          Timed{16, 0x90, 60, 0}, Timed{16, 0x90, 64, 1},
                                          Timed{64, 0x80, 60, 0}, Timed{112, 0x80, 64, 1},
                                          Timed{112, 0xFF, 0, kNone}));
        EXPECT_EQ(sequence->track->At(sequence->track->count() - 1).code,
                  MidiTrackData::kEndOfTrack);
    }
    EXPECT_EQ(melody.Channel(0).count(), 3);
}

TEST(MakeSequenceTest, TheRangeIsCutAndBroughtTo96TicksPerQuarter) {
    MobileTrackData track(kCapacity);
    for (int i = 0; i < 8; ++i) track.AppendNote(i == 0 ? 0 : 48, 0, 60 + i, 48, 100);
    MobileData melody(kCapacity);
    melody.AddTrack(track);
    melody.timeBase = 48;  // a time base of half the played one doubles every time
    const auto sequence = melody.MakeSequence(96, 240);
    ASSERT_NE(sequence, nullptr);
    std::vector<Timed> notes;
    for (const Timed& event : Timeline(*sequence->track)) {
        if (event.kind == 0x90) notes.push_back(event);
    }
    EXPECT_THAT(notes, ElementsAre(Timed{0, 0x90, 62, 0}, Timed{96, 0x90, 63, 0},
                                   Timed{192, 0x90, 64, 0}));
}

TEST(MakeSequenceTest, ATimeBaseOfZeroIsReportedNotDividedBy) {
    RecordedReports reports;
    MobileTrackData track(kCapacity);
    track.AppendNote(10, 0, 60, 48, 100);
    MobileData melody(kCapacity);
    melody.AddTrack(track);
    const auto sequence = melody.MakeSequence(0, 384);
    ASSERT_NE(sequence, nullptr);
    EXPECT_THAT(reports.Lines(), ElementsAre("MDTK0D000010 Invalid parameter."));
    EXPECT_EQ(sequence->division, 96);
}

}  // namespace
}  // namespace zamrit
