#include "melody/MobileTrackData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "melody/MobileCommand.h"
#include "support/EventBuilders.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Command;
using testing::Note;
using testing::RecordedReports;

constexpr std::int32_t kCapacity = 0x60000;

// (kind, key or code, delta, channel) of every event.
using Row = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t>;

std::vector<Row> Rows(const MobileTrackData& track) {
    std::vector<Row> rows;
    for (const auto& e : track.Events()) {
        rows.emplace_back(e.kind, e.kind == kNoteEvent ? e.key : e.code, e.delta, e.channel);
    }
    return rows;
}

template <typename... Owned>
std::vector<MusicEvent> Events(Owned... events) {
    std::vector<MusicEvent> list;
    (list.push_back(std::move(events)), ...);
    return list;
}

template <typename... Owned>
MobileChannelData List(std::int32_t channelType, Owned... events) {
    MobileChannelData list(0, channelType, kCapacity);
    (list.AppendCopy(events), ...);
    return list;
}

TEST(MobileTrackDataMergeTest, NewEventsSlotInByTimeWithTheirChannel) {
    MobileTrackData track(kCapacity);
    track.AppendNote(10, 0, 60, 5, 100);  // A at tick 10
    track.Merge(3, Events(Note(15, 62, 5)));  // B at tick 15
    EXPECT_THAT(Rows(track), ElementsAre(Row{kNoteEvent, 60, 10, 0}, Row{kNoteEvent, 62, 5, 3}));
}

TEST(MobileTrackDataMergeTest, AtEqualTimesTheEventsAlreadyThereComeFirst) {
    MobileTrackData track(kCapacity);
    track.AppendNote(96, 0, 60, 5, 100);
    track.Merge(1, Events(Note(96, 62, 5), Note(10, 64, 5)));
    EXPECT_THAT(Rows(track), ElementsAre(Row{kNoteEvent, 60, 96, 0}, Row{kNoteEvent, 62, 0, 1},
                                         Row{kNoteEvent, 64, 10, 1}));
}

TEST(MobileTrackDataMergeTest, IntoAnEmptyListOnlyChannelEventsGetTheChannel) {
    MobileTrackData track(kCapacity);
    auto events = Events(Command(0, kVoice, 5), Command(0, kTempo, 400000), Note(48, 60, 48),
                         Command(48, kTrackEnd));
    track.Merge(2, events);
    EXPECT_THAT(Rows(track), ElementsAre(Row{kCommandEvent, kVoice, 0, 2},
                                         Row{kCommandEvent, kTempo, 0, 255},
                                         Row{kNoteEvent, 60, 48, 2},
                                         Row{kCommandEvent, kTrackEnd, 48, 255}));
    EXPECT_EQ(events[2].delta, 48) << "the caller's events stay as they were";
}

TEST(MobileTrackDataTest, ConstructionFromNoListsHoldsOneTrackEnd) {
    const MobileTrackData track(std::span<const MobileChannelData* const>{}, kCapacity);
    EXPECT_THAT(Rows(track), ElementsAre(Row{kCommandEvent, kTrackEnd, 0, 255}));
}

TEST(MobileTrackDataTest, ConstructionMergesListsAsChannelsInChannelOrder) {
    const MobileChannelData drums = List(MobileChannelData::kDrum, Note(0, 36, 10), Note(96, 38, 10));
    const MobileChannelData melody = List(MobileChannelData::kMelody, Note(0, 60, 96), Note(96, 62, 96));
    const MobileChannelData* lists[] = {&drums, nullptr, &melody};

    const MobileTrackData track(lists, kCapacity);
    EXPECT_THAT(Rows(track), ElementsAre(Row{kNoteEvent, 36, 0, 0}, Row{kNoteEvent, 60, 0, 2},
                                         Row{kNoteEvent, 38, 96, 0}, Row{kNoteEvent, 62, 0, 2}));
    EXPECT_EQ(track.channelTypes[0], MobileChannelData::kDrum);
    EXPECT_EQ(track.channelTypes[1], MobileChannelData::kUnset);
    EXPECT_EQ(track.channelTypes[2], MobileChannelData::kMelody);
}

TEST(MobileTrackDataTest, AMergeEmptiesTheTrackEndsItPassesButNotTheOneItAppendsLast) {
    // Track ends at ticks 96, 192 and 288 on three channels.
    const MobileChannelData first = List(MobileChannelData::kUnset, Command(96, kTrackEnd));
    const MobileChannelData second = List(MobileChannelData::kUnset, Command(192, kTrackEnd));
    const MobileChannelData third = List(MobileChannelData::kUnset, Command(288, kTrackEnd));

    const MobileChannelData* two[] = {&first, &second};
    EXPECT_THAT(Rows(MobileTrackData(two, kCapacity)),
                ElementsAre(Row{kCommandEvent, kTrackEnd, 96, 255},
                            Row{kCommandEvent, kTrackEnd, 96, 255}));

    const MobileChannelData* three[] = {&first, &second, &third};
    EXPECT_THAT(Rows(MobileTrackData(three, kCapacity)),
                ElementsAre(Row{kEmptyEvent, kTrackEnd, 96, 255},
                            Row{kCommandEvent, kTrackEnd, 96, 255},
                            Row{kCommandEvent, kTrackEnd, 96, 255}));
}

TEST(MobileTrackDataTest, ListsPastTheSixteenthAreReportedAndLeftOut) {
    RecordedReports reports;
    std::vector<MobileChannelData> lists;
    for (int i = 0; i < 17; ++i) lists.push_back(List(MobileChannelData::kMelody, Note(i, 60 + i, 1)));
    std::vector<const MobileChannelData*> pointers;
    for (const auto& list : lists) pointers.push_back(&list);

    const MobileTrackData track(pointers, kCapacity);
    EXPECT_THAT(reports.Lines(), ElementsAre("MBTK0C000006 Channel data is invalid!"));
    EXPECT_EQ(track.count(), 16);
    for (const auto& event : track.Events()) EXPECT_LT(event.channel, 16);
}

TEST(MobileTrackDataTest, EveryAppendStopsAtTheEventLimit) {
    RecordedReports reports;
    MobileTrackData track(kCapacity);
    for (std::int32_t i = 0; i < MobileTrackData::kEventLimit; ++i) track.AppendEmpty(1);
    EXPECT_THAT(reports.Lines(), IsEmpty());

    const auto note = Note(0, 60, 1);
    track.AppendNote(0, 0, 60, 1, 100);
    track.AppendCommand(0, 0, kVolume, 1);
    track.AppendEmpty(0);
    track.AppendWithChannel(0, note);
    track.AppendCopy(note);
    track.InsertAt(0, 2, Note(0, 61, 1));
    EXPECT_EQ(track.count(), MobileTrackData::kEventLimit);
    EXPECT_EQ(reports.Lines().size(), 6u);
    EXPECT_EQ(reports.Lines().front(), "MBTK0C000008 Can not add data!");
}

TEST(MobileTrackDataTest, AppendsFillTheirFields) {
    MobileTrackData track(kCapacity);
    track.AppendCommand(3, 1, 0x100 + kPan, 64);  // only the code's low byte is kept
    track.AppendNote(4, 2, 60, 48, 90);
    auto withData = Command(5, kVoice, 9);
    const std::uint8_t bytes[] = {0xAA};
    withData.SetData(bytes);
    withData.channel = 7;
    track.AppendCopy(withData);
    track.AppendWithChannel(3, withData);

    EXPECT_EQ(track.At(0).code, kPan);
    EXPECT_EQ(track.At(0).value, 64);
    EXPECT_EQ(track.At(1).duration, 48);
    EXPECT_EQ(track.At(1).velocity, 90);
    EXPECT_EQ(track.At(2).channel, 7);
    EXPECT_EQ(track.At(3).channel, 3);
    EXPECT_THAT(track.At(3).DataBytes(), ElementsAre(0xAA));
    EXPECT_NE(track.At(3).GetData(), withData.GetData());
}

TEST(MobileTrackDataTest, ChannelEventsAreNotesAndTheChannelCommands) {
    const std::int32_t channelCodes[] = {33, 34, 35, 36, 39, 40, 42, 43, 49, 50, 51, 53, 71};
    const std::int32_t otherCodes[] = {37, 38, 41, 65, 68, 69, 75};
    for (std::int32_t code : channelCodes) EXPECT_TRUE(MobileTrackData::IsChannelEvent(Command(0, code))) << code;
    for (std::int32_t code : otherCodes) EXPECT_FALSE(MobileTrackData::IsChannelEvent(Command(0, code))) << code;
    EXPECT_TRUE(MobileTrackData::IsChannelEvent(Note(0, 60, 1)));
    EXPECT_FALSE(MobileTrackData::IsChannelEvent(MusicEvent(0)));
}

TEST(MobileTrackDataTest, PurgeHandsTheDeltasOfEmptyEventsOn) {
    MobileTrackData track(kCapacity);
    track.AppendEmpty(5);
    track.AppendEmpty(7);
    track.AppendNote(1, 0, 60, 1, 100);
    track.AppendEmpty(3);
    track.AppendNote(2, 0, 62, 1, 100);
    track.AppendEmpty(9);  // the last one simply loses its time
    track.Purge();
    EXPECT_THAT(Rows(track), ElementsAre(Row{kNoteEvent, 60, 13, 0}, Row{kNoteEvent, 62, 5, 0}));
}

TEST(MobileTrackDataTest, RemoveAtAndInsertAt) {
    MobileTrackData track(kCapacity);
    track.AppendNote(4, 0, 60, 1, 100);
    track.AppendNote(6, 0, 62, 1, 100);
    track.RemoveAt(0);
    EXPECT_THAT(Rows(track), ElementsAre(Row{kNoteEvent, 62, 10, 0}));
    track.RemoveAt(5);  // no such position: nothing happens
    track.InsertAt(0, 2, Note(0, 1, 1));   // before position 0
    track.InsertAt(0, 1, Note(0, 2, 1));   // after position 0
    track.InsertAt(99, 2, Note(0, 3, 1));  // past the end: at the end
    std::vector<std::int32_t> keys;
    for (const auto& e : track.Events()) keys.push_back(e.key);
    EXPECT_THAT(keys, ElementsAre(1, 2, 62, 3));
}

}  // namespace
}  // namespace zamrit
