#include "mfi/MFiEventStream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mfi/MFiFixtures.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Bytes;
using testing::Describe;
using testing::Load;
using testing::RecordedReports;
using testing::StreamFile;

// A stream at 96 ticks per quarter note, so that deltas stay as written.
MFiEventWriter At96() { return MFiEventWriter().Tempo(0, 4, 120); }
constexpr const char* kTempo = "cmd d0 c255 37=500000";

TEST(MFiEventStreamTest, SkippedCommandsCarryTheirDeltaToTheNextEvent) {
    RecordedReports reports;
    const auto data = Load(StreamFile(At96().Command(5, 0xDF, 0).Command(1, 0xD1, 0)
                                          .Raw(Bytes{0x03, 0x0A, 0x30, 0x48})));
    EXPECT_EQ(data->voiceType, 250);
    EXPECT_EQ(data->trackCount, 4);
    EXPECT_THAT(Describe(*data->GetTrack(0)), ElementsAre(kTempo, "note d9 c0 k55 g48 v36"));
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST(MFiEventStreamTest, ChannelsTakeSlotsInTheOrderTheyFirstNeedOne) {
    MFiEventWriter events = At96();
    events.Note(1, 2, 10, 1, 1).Note(1, 0, 10, 1, 1).Note(1, 3, 10, 1, 1).Note(1, 1, 10, 1, 1)
        .Command(1, 0xE5, 0x04)   // channel field 0 now plays channel number 4
        .Note(1, 0, 12, 1, 1)
        .Note(1, 2, 14, 1, 1);    // channel 2 keeps its slot
    const auto data = Load(StreamFile(events));
    EXPECT_THAT(Describe(*data->GetTrack(0)),
                ElementsAre(kTempo, "note d1 c0 k55 g1 v2", "note d1 c1 k55 g1 v2",
                            "note d1 c2 k55 g1 v2", "note d1 c3 k55 g1 v2", "note d3 c0 k59 g1 v2"));
    // Track 1 gets its first event late: it carries every tick since the start.
    EXPECT_THAT(Describe(*data->GetTrack(1)), ElementsAre("note d6 c0 k57 g1 v2"));
}

TEST(MFiEventStreamTest, DrumChannelNotesGoToTrackTwoChannelOne) {
    MFiEventWriter events = At96();
    events.Command(0, 0xE5, 0x49)      // channel field 1 plays channel number 9
        .Note(2, 1, 5, 10, 20, 3)      // drum key 38
        .Note(2, 1, 0, 10, 20, 0)      // drum key 45
        .Command(0, 0xE0, 0x45)        // no program change on the drum channel
        .Command(0, 0xE2, 0x45)        // nor a volume
        .Note(2, 0, 10, 10, 20);
    const auto data = Load(StreamFile(events));
    EXPECT_THAT(Describe(*data->GetTrack(2)), ElementsAre("note d2 c1 k38 g10 v40", "note d2 c1 k45 g10 v40"));
    EXPECT_THAT(Describe(*data->GetTrack(0)), ElementsAre(kTempo, "note d6 c0 k55 g10 v40"));
}

TEST(MFiEventStreamTest, CommandsGoToTheSlotOfTheirChannel) {
    RecordedReports reports;
    MFiEventWriter events = At96();
    events.Command(1, 0xB0, 90)
        .Command(1, 0xD0, 0xFF)
        .Command(1, 0xDE, 0)
        .Command(1, 0xE1, 0x41)   // bank 1 for channel 1
        .Command(1, 0xE0, 0x45)   // channel 1, program 5: slot 0
        .Command(1, 0xE0, 0x05)   // channel 0: slot 1
        .Command(1, 0xE2, 0x50)
        .Command(1, 0xE3, 0x00)
        .Command(1, 0xE3, 0x40)
        .Command(1, 0xE4, 0x40)
        .Command(1, 0x12, 0x00);
    const auto data = Load(StreamFile(events));
    EXPECT_THAT(Describe(*data->GetTrack(0)),
                ElementsAre(kTempo, "cmd d1 c255 65=90", "cmd d1 c255 69=63", "empty d1",
                            "cmd d2 c0 33=69", "cmd d1 c1 33=5", "cmd d1 c0 35=32",
                            "cmd d1 c1 36=0", "cmd d1 c0 36=1", "empty d1"));
    EXPECT_THAT(reports.Lines(), ElementsAre("MFDT20000006 Unknown event has been found in MFi!"));
}

TEST(MFiEventStreamTest, SixteenSlotsAreTheLimit) {
    RecordedReports reports;
    MFiEventWriter events = At96();
    events.Command(0, 0xE5, 0x09).Command(0, 0xE3, 0x01);  // channel 9 takes slot 0
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        if (channel == 9) continue;
        events.Command(0, 0xE5, channel).Note(1, 0, 10, 1, 1);
    }
    events.Command(0, 0xE0, 0x05);  // program change with every slot taken
    const auto data = Load(StreamFile(events));
    EXPECT_EQ(Describe(*data->GetTrack(0))[1], "cmd d0 c0 34=1");
    EXPECT_EQ(data->GetTrack(3)->trackData->count(), 4);
    EXPECT_EQ(Describe(*data->GetTrack(3)).back(), "note d1 c3 k55 g1 v2");
    EXPECT_THAT(reports.Lines(), ElementsAre("MFDT2000000B Error occured in MFiData."));

    // Drum slots are told apart by drum key; the other channels all hold drum key -1.
    const auto empty = Load(StreamFile(MFiEventWriter()));
    MFiEventStream stream{std::span<const std::unique_ptr<MFiTrack>, 4>(empty->tracks)};
    for (std::int32_t channel : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15}) {
        EXPECT_EQ(stream.FindSlot(channel, -1), channel < 9 ? channel : channel - 1);
    }
    EXPECT_EQ(stream.FindSlot(9, -1), 0);
    EXPECT_EQ(stream.FindSlot(9, 40), 15);
    EXPECT_EQ(stream.FindSlot(9, 40), 15);
    EXPECT_EQ(stream.slotCount(), 16);
    EXPECT_THAT(Describe(*empty->GetTrack(3)), ElementsAre("cmd d0 c3 34=1"));
    EXPECT_EQ(stream.FindSlot(9, 41), MFiEventStream::kNoSlot);
    EXPECT_EQ(stream.FindSlot(3, -1), 3);
}

TEST(MFiEventStreamTest, StreamEndingMidEventReadsZerosAndTempoZeroIsLeftOut) {
    RecordedReports reports;
    const auto data = Load(StreamFile(MFiEventWriter().Tempo(3, 4, 0).Raw(Bytes{0x05, 0x0A})));
    EXPECT_THAT(Describe(*data->GetTrack(0)), ElementsAre("empty d3", "note d5 c0 k55 g0 v0"));
    EXPECT_EQ(data->GetTrack(0)->timeBase, 96);
    EXPECT_THAT(reports.Lines(), ElementsAre("MFTK1F00000B Tempo is out of range!"));

    reports.Clear();
    const auto cut = Load(StreamFile(MFiEventWriter().Raw(Bytes{0x05, 0xFF})));
    EXPECT_THAT(reports.Lines(), ElementsAre("MFDT20000006 Unknown event has been found in MFi!"));
}

TEST(MFiEventStreamTest, TimeBaseOfTheStreamAppliesToEveryTrackAndNotesAreNotMerged) {
    MFiEventWriter events;
    events.Note(0, 0, 10, 30, 1).Note(10, 0, 10, 30, 1).Command(0, 0xE5, 0x04).Note(6, 0, 10, 4, 1);
    const auto noTempo = Load(StreamFile(events));
    EXPECT_THAT(Describe(*noTempo->GetTrack(0)),
                ElementsAre("note d0 c0 k55 g60 v2", "note d20 c0 k55 g60 v2", "note d12 c1 k55 g8 v2"));

    const auto at24 = Load(StreamFile(MFiEventWriter().Tempo(0, 2, 120).Note(6, 0, 10, 3, 1)));
    EXPECT_THAT(Describe(*at24->GetTrack(0)), ElementsAre(kTempo, "note d24 c0 k55 g12 v2"));
}

}  // namespace
}  // namespace zamrit
