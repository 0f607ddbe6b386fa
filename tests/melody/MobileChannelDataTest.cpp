#include "melody/MobileChannelData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "melody/MobileCommand.h"
#include "support/EventBuilders.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using testing::Command;
using testing::Note;

constexpr std::int32_t kCapacity = 0x60000;

// (kind, code or key, delta, duration) of every event: enough to see what a cut kept.
using Row = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t>;

std::vector<Row> Rows(const MobileChannelData& list) {
    std::vector<Row> rows;
    for (std::int32_t i = 0; i < list.count(); ++i) {
        const MusicEvent& e = list.At(i);
        rows.emplace_back(e.kind, e.kind == kNoteEvent ? e.key : e.code, e.delta, e.duration);
    }
    return rows;
}

template <typename... Events>
MobileChannelData List(Events... events) {
    MobileChannelData list(0, MobileChannelData::kUnset, kCapacity);
    (list.AppendCopy(events), ...);
    return list;
}

class ExtractTest : public ::testing::Test {
protected:
    // Volume at 0, note A at 96 (48 long), Tempo at 200, note B at 480 (400 long),
    // track end at 768.
    ExtractTest() : source(3, MobileChannelData::kMelody, kCapacity) {
        source.AppendCopy(Command(0, kVolume, 100));
        source.AppendCopy(Note(96, 60, 48));
        source.AppendCopy(Command(104, kTempo, 500000));
        source.AppendCopy(Note(280, 62, 400));
        source.AppendCopy(Command(288, kTrackEnd));
        source.enabled = 0;
    }

    MobileChannelData source;
};

TEST_F(ExtractTest, GathersEarlierCommandsCutsNotesAndKeepsTheTrackEndAtTheRangeEnd) {
    const auto range = MobileChannelData::Extract(source, 384, 768, kCapacity);
    EXPECT_THAT(Rows(*range), ElementsAre(Row{kCommandEvent, kVolume, 0, 0},
                                          Row{kCommandEvent, kTempo, 0, 0},
                                          Row{kNoteEvent, 62, 96, 288},
                                          Row{kCommandEvent, kTrackEnd, 288, 0}));
    EXPECT_EQ(range->index, 3);
    EXPECT_EQ(range->channelType, MobileChannelData::kMelody);
    EXPECT_EQ(range->enabled, 0);
    EXPECT_EQ(source.At(3).duration, 400) << "the source is not changed";
}

TEST_F(ExtractTest, ARangeWithoutEventsGetsTheEarlierCommandsAndATrackEnd) {
    const auto range = MobileChannelData::Extract(source, 250, 260, kCapacity);
    EXPECT_THAT(Rows(*range), ElementsAre(Row{kCommandEvent, kVolume, 0, 0},
                                          Row{kCommandEvent, kTempo, 0, 0},
                                          Row{kCommandEvent, kTrackEnd, 0, 0}));
}

TEST_F(ExtractTest, AnEarlierTrackEndIsGatheredAndNoSecondOneIsAdded) {
    const auto range = MobileChannelData::Extract(source, 800, 900, kCapacity);
    EXPECT_THAT(Rows(*range), ElementsAre(Row{kCommandEvent, kVolume, 0, 0},
                                          Row{kCommandEvent, kTempo, 0, 0},
                                          Row{kCommandEvent, kTrackEnd, 0, 0}));
}

TEST_F(ExtractTest, TheWholeRangeKeepsEveryEventWithItsTimes) {
    const auto range = MobileChannelData::Extract(source, 0, 1152, kCapacity);
    EXPECT_EQ(Rows(*range), Rows(source));
}

TEST(MobileChannelDataTest, CopyFromTakesTypeIndexFlagAndDeepCopies) {
    MobileChannelData source(5, MobileChannelData::kDrum, kCapacity);
    source.enabled = 0;
    auto withData = Command(7, kVoice, 3);
    const std::uint8_t bytes[] = {1, 2};
    withData.SetData(bytes);
    source.AppendCopy(withData);

    MobileChannelData copy(0, MobileChannelData::kUnset, kCapacity);
    copy.CopyFrom(source);
    EXPECT_EQ(copy.index, 5);
    EXPECT_EQ(copy.channelType, MobileChannelData::kDrum);
    EXPECT_EQ(copy.enabled, 0);
    ASSERT_EQ(copy.count(), 1);
    EXPECT_NE(copy.At(0).GetData(), source.At(0).GetData());
    EXPECT_THAT(copy.At(0).DataBytes(), ElementsAre(1, 2));
}

TEST(MobileChannelDataTest, AppendsAndTrackEnd) {
    MobileChannelData list(0, MobileChannelData::kUnset, kCapacity);
    EXPECT_FALSE(list.HasTrackEnd());
    EXPECT_EQ(list.AppendCommand(5, kVolume, 90), 1);
    list.AppendCopyAt(9, Note(1, 60, 10));
    list.AppendTrackEnd();
    EXPECT_TRUE(list.HasTrackEnd());
    EXPECT_THAT(Rows(list), ElementsAre(Row{kCommandEvent, kVolume, 5, 0},
                                        Row{kNoteEvent, 60, 9, 10},
                                        Row{kCommandEvent, kTrackEnd, 0, 0}));
}

TEST(MobileChannelDataTest, LengthInUnitsRoundsUpAndCountsAFinalNote) {
    struct Case {
        const char* what;
        MobileChannelData list;
        std::int32_t units;
    };
    Case cases[] = {
        {"no events", List(), 0},
        {"a final note adds its duration", List(Note(1500, 60, 100)), 5},
        {"a later track end ends it", List(Note(1500, 60, 100), Command(36, kTrackEnd)), 4},
        {"exactly one unit of commands counts two", List(Command(384, kTempo)), 2},
        {"exactly whole units", List(Note(0, 60, 10), Command(768, kTrackEnd)), 2},
    };
    for (const Case& c : cases) EXPECT_EQ(c.list.LengthInUnits(384), c.units) << c.what;
    EXPECT_EQ(cases[1].list.LengthInUnits(0), 0) << "a unit of 0 is never divided by";
}

}  // namespace
}  // namespace zamrit
