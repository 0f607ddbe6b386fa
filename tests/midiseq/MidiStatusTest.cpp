#include "midiseq/MidiStatus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "MidiEvents.h"
#include "midiseq/MidiF0Data.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Control;
using testing::Meta;
using testing::MidiEvent;
using testing::RecordedReports;

constexpr std::int32_t kCapacity = 0x60000;
constexpr std::int32_t kNone = MusicEvent::kNoChannel;

MusicEvent Program(std::int32_t delta, std::int32_t channel, std::int32_t program) {
    auto event = MidiEvent(delta, 0xC0, channel);
    event.value = program;
    return event;
}

MusicEvent Bend(std::int32_t delta, std::int32_t channel, std::int32_t low, std::int32_t high) {
    auto event = MidiEvent(delta, 0xE0, channel, low);
    event.value = high;
    return event;
}

// (kind, channel, code, value, key) of each made event.
struct Made {
    std::int32_t kind, channel, code, value, key;
    bool operator==(const Made&) const = default;
};

std::vector<Made> Summary(const std::vector<MusicEvent>& events) {
    std::vector<Made> made;
    for (const auto& event : events) {
        EXPECT_EQ(event.delta, 0);
        made.push_back({event.kind, event.channel, event.code, event.value, event.key});
    }
    return made;
}

TEST(MidiStatusTest, CollectsTheStateBeforeTheStartTickAndMakesItBack) {
    MidiF0Data sequence(kCapacity);
    MidiTrackData& track = *sequence.track;
    track.AppendTempo(500000);
    track.Append(Program(0, 0, 3));
    track.Append(Control(10, 0, 7, 80));
    track.Append(MidiEvent(0, 0x90, 0, 60, 100));
    track.Append(Program(20, 0, 5));
    track.Append(Control(20, 0, 7, 100));           // tick 50: changed twice, sent once
    track.Append(Meta(10, MidiTrackData::kSetTempo, 600000));
    track.Append(Bend(0, 2, 0x11, 0x40));
    track.Append(Program(40, 1, 9));                // tick 100: the start, not recorded
    track.AppendEndOfTrack(0);

    MidiStatus status;
    const MidiStatus::StartPoint start = status.CollectUntil(sequence, 100);
    EXPECT_EQ(start.index, 8);
    EXPECT_EQ(start.ticks, 60);

    const auto events = status.MakeEvents();
    EXPECT_THAT(Summary(events), ElementsAre(Made{0xC0, 0, 0, 5, 0}, Made{0xB0, 0, 7, 100, 0},
                                             Made{0xE0, 2, 0, 0x40, 0x11},
                                             Made{0xFF, kNone, 0x51, 600000, 0}));
    const auto tempoBytes = events[3].DataBytes();
    EXPECT_THAT(std::vector<std::uint8_t>(tempoBytes.begin(), tempoBytes.end()),
                ElementsAre(0x09, 0x27, 0xC0));
}

TEST(MidiStatusTest, StartPointsAtTheEdges) {
    MidiF0Data empty(kCapacity);
    MidiStatus status;
    EXPECT_EQ(status.CollectUntil(empty, 100).index, 0);
    EXPECT_EQ(status.CollectUntil(empty, 100).ticks, 0);

    MidiF0Data sequence(kCapacity);
    sequence.track->Append(Control(30, 0, 7, 1));
    sequence.track->Append(Control(40, 0, 7, 2));
    EXPECT_EQ(status.CollectUntil(sequence, 0).index, 0);
    const MidiStatus::StartPoint past = status.CollectUntil(sequence, 1000);
    EXPECT_EQ(past.index, 2);
    EXPECT_EQ(past.ticks, 70);
}

TEST(MidiStatusTest, EventsOutsideTheTablesAreIgnored) {
    MidiStatus status;
    status.Record(Control(0, kNone, 7, 1));
    status.Record(Control(0, 16, 7, 1));
    status.Record(Control(0, -1, 7, 1));
    status.Record(Control(0, 3, 128, 1));
    status.Record(Control(0, 3, -1, 1));
    status.Record(Program(0, 200, 1));
    status.Record(Bend(0, 16, 0, 64));
    status.Record(MidiEvent(0, 0x90, 0, 60, 100));
    EXPECT_THAT(status.MakeEvents(), IsEmpty());
}

TEST(MidiStatusTest, EveryValueSetMakesTheLargestSet) {
    MidiStatus status;
    for (std::int32_t channel = 0; channel < 16; ++channel) {
        status.Record(Program(0, channel, 1));
        status.Record(Bend(0, channel, 0, 64));
        for (std::int32_t number = 0; number < 128; ++number) {
            status.Record(Control(0, channel, number, 5));
        }
    }
    status.Record(Meta(0, MidiTrackData::kSetTempo, 400000));
    status.Record(Meta(0, MidiTrackData::kTimeSignature, 0x0304));
    EXPECT_EQ(status.MakeEvents().size(), MidiStatus::kMaxEvents);
}

TEST(MidiStatusTest, TimeSignatureBytesStayBoundedForAnyDenominator) {
    struct Case {
        std::int32_t signature;
        std::vector<std::uint8_t> bytes;
        std::vector<std::string> reports;
    };
    const std::vector<Case> cases{
        {0x0608, {6, 3, 18, 8}, {}},
        {0x0304, {3, 2, 18, 8}, {}},
        {0, {0, 0, 18, 8}, {"MDSS37000002 Time Sign is invalid!"}},
        {0x0300, {3, 0, 18, 8}, {}},
        {0x0301, {3, 0, 18, 8}, {}},
    };
    for (const Case& c : cases) {
        RecordedReports reports;
        MidiStatus status;
        status.Record(Meta(0, MidiTrackData::kTimeSignature, c.signature));
        const auto events = status.MakeEvents();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].code, MidiTrackData::kTimeSignature);
        EXPECT_EQ(events[0].value, c.signature);
        const auto bytes = events[0].DataBytes();
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), c.bytes) << c.signature;
        EXPECT_EQ(reports.Lines(), c.reports);
    }
}

}  // namespace
}  // namespace zamrit
