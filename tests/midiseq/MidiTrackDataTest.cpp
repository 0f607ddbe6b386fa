#include "midiseq/MidiTrackData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "MidiEvents.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::Control;
using testing::Meta;
using testing::MidiEvent;
using testing::RecordedReports;
using testing::Timed;
using testing::TimedNote;
using testing::Timeline;

constexpr std::int32_t kCapacity = 0x60000;
constexpr std::int32_t kNone = MusicEvent::kNoChannel;
constexpr std::int32_t kOn = 0x90;
constexpr std::int32_t kOff = 0x80;
constexpr std::int32_t kEnd = MidiTrackData::kEndOfTrack;

// A track as the conversion leaves it: notes still with their durations.
struct BuildingTrack : MidiTrackData {
    BuildingTrack() : MidiTrackData(kCapacity) { state = kStateUnderConstruction; }
};

std::vector<std::int32_t> Deltas(const MidiTrackData& track) {
    std::vector<std::int32_t> deltas;
    for (const auto& event : track.Events()) deltas.push_back(event.delta);
    return deltas;
}

std::vector<std::uint8_t> Bytes(const MusicEvent& event) {
    const auto bytes = event.DataBytes();
    return {bytes.begin(), bytes.end()};
}

TEST(MidiTrackDataFinalizeTest, TouchingNotesSwitchOffBeforeTheNextSounds) {
    BuildingTrack track;
    track.Append(TimedNote(0, 60, 48));
    track.Append(TimedNote(48, 62, 48));
    track.AppendEndOfTrack(48);
    track.Finalize();
    EXPECT_EQ(track.state, MidiTrackData::kStateReady);
    EXPECT_THAT(Timeline(track), ElementsAre(Timed{0, kOn, 60, 0}, Timed{48, kOff, 60, 0},
                                             Timed{48, kOn, 62, 0}, Timed{96, kOff, 62, 0},
                                             Timed{96, 0xFF, 0, kNone}));
    EXPECT_EQ(track.At(1).velocity, MidiTrackData::kNoteOffVelocity);
    EXPECT_EQ(track.At(0).duration, 0);
}

TEST(MidiTrackDataFinalizeTest, OverlappingNotesAndANoteRunningPastTheEndOfTrack) {
    BuildingTrack track;
    track.Append(TimedNote(0, 60, 96, 1));
    track.Append(TimedNote(48, 64, 200, 2));
    track.Append(Control(10, 3, 7, 100));  // tick 58
    track.AppendEndOfTrack(38);            // tick 96, before the second note ends
    track.Finalize();
    EXPECT_THAT(Timeline(track),
                ElementsAre(Timed{0, kOn, 60, 1}, Timed{48, kOn, 64, 2}, Timed{58, 0xB0, 0, 3},
                            Timed{96, kOff, 60, 1}, Timed{248, kOff, 64, 2},
                            Timed{248, 0xFF, 0, kNone}));
    EXPECT_EQ(track.At(5).code, kEnd);
    EXPECT_EQ(track.At(5).delta, 0);
}

TEST(MidiTrackDataFinalizeTest, SilentNotesDisappearAndHandOnTheirTime) {
    BuildingTrack track;
    track.Append(TimedNote(10, 60, 0));
    track.Append(TimedNote(20, 61, 48, 0, /*velocity*/ 0));
    track.Append(TimedNote(30, 62, -5));
    track.Append(Control(5, 0, 10, 64));
    track.AppendEndOfTrack(0);
    track.Finalize();
    EXPECT_THAT(Timeline(track), ElementsAre(Timed{65, 0xB0, 0, 0}, Timed{65, 0xFF, 0, kNone}));
}

TEST(MidiTrackDataFinalizeTest, NoteOffsDueTogetherComeLaterNoteFirstAndBeforeOtherEvents) {
    BuildingTrack track;
    track.Append(TimedNote(0, 60, 96));
    track.Append(TimedNote(0, 64, 96));
    track.Append(TimedNote(48, 67, 48));
    track.Append(TimedNote(48, 72, 48));  // starts where the others end
    track.AppendEndOfTrack(48);
    track.Finalize();
    EXPECT_THAT(Timeline(track),
                ElementsAre(Timed{0, kOn, 60, 0}, Timed{0, kOn, 64, 0}, Timed{48, kOn, 67, 0},
                            Timed{96, kOff, 67, 0}, Timed{96, kOff, 64, 0},
                            Timed{96, kOff, 60, 0}, Timed{96, kOn, 72, 0},
                            Timed{144, kOff, 72, 0}, Timed{144, 0xFF, 0, kNone}));
}

TEST(MidiTrackDataFinalizeTest, OnlyUnderConstruction) {
    RecordedReports reports;
    MidiTrackData track(kCapacity);  // state -1
    track.Append(TimedNote(0, 60, 48));
    track.Finalize();
    EXPECT_EQ(track.At(0).kind, 0x10);
    track.state = MidiTrackData::kStateUnderConstruction;
    track.Finalize();
    reports.Clear();
    track.Finalize();
    EXPECT_THAT(reports.Lines(), ElementsAre("MDTK0D000001 MidiTrackData Internal Error"));
    EXPECT_EQ(track.count(), 2);
}

// The placing of note-offs as one insert after another: for each note in turn, the note-off
// goes in before the first later event whose tick is at or past the note's end.
struct PlainEvent {
    std::int32_t kind, delta, key, duration, velocity, channel, code;
    bool operator==(const PlainEvent&) const = default;
};

std::vector<PlainEvent> FinalizeByInserts(std::vector<PlainEvent> events) {
    std::vector<PlainEvent> kept;
    std::int32_t carried = 0;
    for (PlainEvent event : events) {
        event.delta += carried;
        carried = 0;
        if (event.kind == 0x10 && (event.duration == 0 || event.velocity == 0)) {
            carried = event.delta;
            continue;
        }
        kept.push_back(event);
    }
    events = kept;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind != 0x10) continue;
        events[i].kind = kOn;
        const std::int32_t d = events[i].duration;
        events[i].duration = 0;
        std::int32_t s = 0;
        std::size_t p = i + 1;
        for (; p < events.size(); ++p) {
            s += events[p].delta;
            if (s >= d) break;
        }
        PlainEvent off{kOff, 0, events[i].key, 0, 64, events[i].channel, 0};
        if (p < events.size()) {
            off.delta = events[p].delta - (s - d);
            events[p].delta = s - d;
        } else {
            off.delta = d - s;
        }
        events.insert(events.begin() + static_cast<std::ptrdiff_t>(p), off);
    }
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind != 0xFF || events[i].code != kEnd) continue;
        if (i + 1 < events.size()) {
            events[i + 1].delta += events[i].delta;
            PlainEvent end = events[i];
            end.delta = 0;
            events.erase(events.begin() + static_cast<std::ptrdiff_t>(i));
            events.push_back(end);
        }
        break;
    }
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind != kOff) continue;
        for (std::ptrdiff_t j = static_cast<std::ptrdiff_t>(i) - 1;
             j >= 0 && events[j + 1].delta == 0; --j) {
            if (events[j].kind == kOn) {
                std::swap(events[i], events[j]);
                std::swap(events[i].delta, events[j].delta);
                break;
            }
        }
    }
    return events;
}

TEST(MidiTrackDataFinalizeTest, AgreesWithPlacingNoteOffsOneInsertAtATime) {
    std::mt19937 random(20261209);
    auto pick = [&](std::initializer_list<std::int32_t> values) {
        return *(values.begin() + random() % values.size());
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<PlainEvent> events;
        const int length = 1 + static_cast<int>(random() % 24);
        const int endAt = static_cast<int>(random() % length);
        for (int i = 0; i < length; ++i) {
            const std::int32_t delta = pick({0, 0, 0, 12, 24, 48});
            if (i == endAt) {
                events.push_back({0xFF, delta, 0, 0, 0, kNone, kEnd});
            } else if (random() % 4 == 0) {
                events.push_back({0xB0, delta, 0, 0, 0, 1, 7});
            } else {
                events.push_back({0x10, delta, 40 + static_cast<std::int32_t>(random() % 30),
                                  pick({0, 12, 24, 48, 96}), pick({0, 100, 100}),
                                  static_cast<std::int32_t>(random() % 3), 0});
            }
        }

        BuildingTrack track;
        for (const PlainEvent& e : events) {
            auto event = MidiEvent(e.delta, e.kind, e.channel, e.key, e.velocity);
            event.duration = e.duration;
            event.code = e.code;
            track.Append(std::move(event));
        }
        track.Finalize();
        std::vector<PlainEvent> finalized;
        for (const auto& e : track.Events()) {
            finalized.push_back({e.kind, e.delta, e.key, e.duration, e.velocity, e.channel,
                                 e.code});
        }
        ASSERT_EQ(finalized, FinalizeByInserts(events)) << "round " << round;
    }
}

TEST(MidiTrackDataTest, OrderNoteOffsPutsANoteOffAheadOfANoteOnOfItsTick) {
    MidiTrackData track(kCapacity);
    track.Append(MidiEvent(0, kOn, 0, 60, 100));
    track.Append(MidiEvent(48, kOn, 1, 64, 100));
    track.Append(Control(0, 2, 7, 90));
    track.Append(MidiEvent(0, kOff, 0, 60, 64));
    track.Append(MidiEvent(0, kOff, 3, 50, 64));  // meets the note-on the first swap moved
    track.state = MidiTrackData::kStateReady;
    track.OrderNoteOffs();
    EXPECT_THAT(Timeline(track),
                ElementsAre(Timed{0, kOn, 60, 0}, Timed{48, kOff, 60, 0}, Timed{48, 0xB0, 0, 2},
                            Timed{48, kOff, 50, 3}, Timed{48, kOn, 64, 1}));

    RecordedReports reports;
    track.state = MidiTrackData::kStateUnderConstruction;
    track.OrderNoteOffs();
    EXPECT_THAT(reports.Lines(), ElementsAre("MDTK0D000001 MidiTrackData Internal Error"));
}

TEST(MidiTrackDataTest, SwapKeepingTimesLeavesEachPositionsDelta) {
    MidiTrackData track(kCapacity);
    track.Append(MidiEvent(5, kOn, 0, 60));
    track.Append(MidiEvent(7, kOff, 0, 61));
    track.SwapKeepingTimes(0, 1);
    track.SwapKeepingTimes(1, 1);
    track.SwapKeepingTimes(0, 9);  // outside the list: nothing
    EXPECT_EQ(track.At(0).key, 61);
    EXPECT_EQ(track.At(1).key, 60);
    EXPECT_THAT(Deltas(track), ElementsAre(5, 7));
}

TEST(MidiTrackDataTest, TempoAndEndOfTrackEvents) {
    RecordedReports reports;
    MidiTrackData track(kCapacity);
    track.AppendTempo(600000);
    track.AppendTempo(0);
    EXPECT_THAT(reports.Lines(),
                ElementsAre("MDTK0D000015 MidiTrackData tempo data is wrong."));
    EXPECT_EQ(track.At(0).code, MidiTrackData::kSetTempo);
    EXPECT_EQ(track.At(0).channel, kNone);
    EXPECT_THAT(Bytes(track.At(0)), ElementsAre(0x09, 0x27, 0xC0));
    EXPECT_EQ(track.At(1).value, 500000);
    EXPECT_THAT(Bytes(track.At(1)), ElementsAre(0x07, 0xA1, 0x20));

    track.AppendEndOfTrack(12);
    track.AppendEndOfTrack(30);
    ASSERT_EQ(track.count(), 3);
    EXPECT_EQ(track.At(2).delta, 12);
    EXPECT_THAT(Bytes(track.At(2)), ElementsAre(0xFF, 0x2F, 0x00));
}

TEST(MidiTrackDataTest, MasterVolumeIsTheUniversalExclusiveAtTheGivenPlace) {
    RecordedReports reports;
    MidiTrackData track(kCapacity);
    track.AppendTempo(500000);
    track.InsertMasterVolume(100, 0);
    track.InsertMasterVolume(200, 1);
    EXPECT_THAT(reports.Lines(), ElementsAre("MDTK0D000001 MidiTrackData Internal Error"));
    ASSERT_EQ(track.count(), 3);
    EXPECT_EQ(track.At(0).kind, 0xF0);
    EXPECT_EQ(track.At(0).code, 1);
    EXPECT_THAT(Bytes(track.At(0)),
                ElementsAre(0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7));
    EXPECT_EQ(track.At(1).value, 200);
    EXPECT_EQ(Bytes(track.At(1))[7], 0xC8);
    EXPECT_EQ(track.At(2).code, MidiTrackData::kSetTempo);
}

TEST(MidiTrackDataTest, InsertAtPlacesBeforeOrAfter) {
    MidiTrackData track(kCapacity);
    track.Append(MidiEvent(0, kOn, 0, 1));
    track.Append(MidiEvent(0, kOn, 0, 2));
    track.InsertAt(1, 2, MidiEvent(0, kOn, 0, 10));   // before position 1
    track.InsertAt(0, 1, MidiEvent(0, kOn, 0, 11));   // after position 0
    track.InsertAt(99, 2, MidiEvent(0, kOn, 0, 12));  // past the end: at the end
    std::vector<std::int32_t> keys;
    for (const auto& event : track.Events()) keys.push_back(event.key);
    EXPECT_THAT(keys, ElementsAre(1, 11, 10, 2, 12));
}

TEST(MidiTrackDataTest, NothingIsStoredPastTheEventLimit) {
    RecordedReports reports;
    MidiTrackData track(kCapacity);
    for (std::int32_t i = 0; i < MidiTrackData::kEventLimit; ++i) {
        track.Append(Control(1, 0, 7, 100));
    }
    EXPECT_THAT(reports.Lines(), IsEmpty());
    track.Append(Control(1, 0, 7, 1));
    track.AppendTempo(500000);
    track.AppendEndOfTrack(0);
    track.InsertAt(0, 2, Control(0, 0, 7, 2));
    track.InsertMasterVolume(100, 0);
    EXPECT_EQ(track.count(), MidiTrackData::kEventLimit);
    EXPECT_EQ(reports.Lines().size(), 5u);
    EXPECT_EQ(reports.Lines()[0], "MDTK0D000006 Large data");
}

TEST(MidiTrackDataTest, FinalizeLeavesOutTheNotesWhoseNoteOffsWouldNotFit) {
    RecordedReports reports;
    BuildingTrack track;
    const std::int32_t others = MidiTrackData::kEventLimit - 10;
    for (std::int32_t i = 0; i < others; ++i) track.Append(Control(0, 0, 7, 100));
    for (std::int32_t key = 0; key < 8; ++key) track.Append(TimedNote(1, key, 4));
    track.Finalize();
    // Room for 10 events: five notes keep both halves, the last three are left out.
    EXPECT_EQ(track.count(), MidiTrackData::kEventLimit);
    EXPECT_THAT(reports.Lines(), ElementsAre("MDTK0D000006 Large data"));
    const auto timeline = Timeline(track);
    EXPECT_EQ(timeline.back().kind, kOff);
    EXPECT_EQ(timeline.back().key, 4);
}

TEST(MidiTrackDataTest, PurgeHandsDeltasOnAndReportsANegativeSum) {
    RecordedReports reports;
    MidiTrackData track(kCapacity);
    track.Append(MidiEvent(10, 0));
    track.Append(MidiEvent(5, 0));
    track.Append(Control(7, 0, 7, 1));
    track.Append(MidiEvent(-20, 0));
    track.Append(Control(4, 0, 7, 2));
    track.Append(MidiEvent(3, 0));  // last: its time goes nowhere
    track.Purge();
    EXPECT_THAT(Deltas(track), ElementsAre(22, -16));
    EXPECT_THAT(reports.Lines(), ElementsAre("MDTK0D000001 MidiTrackData Internal Error"));
}

TEST(MidiTrackDataRescaleTest, CarriesTheRemainderFrom960To96) {
    BuildingTrack track;
    track.Append(Control(480, 0, 7, 1));
    track.Append(Control(105, 0, 7, 2));
    track.Append(Control(105, 0, 7, 3));
    EXPECT_EQ(track.Rescale(960, 96, 0), 0);
    EXPECT_THAT(Deltas(track), ElementsAre(48, 10, 11));
}

TEST(MidiTrackDataRescaleTest, ANoteScaledToNothingLastsOneTickOrGoes) {
    for (const std::int32_t mode : {0, 1}) {
        BuildingTrack track;
        track.Append(TimedNote(960, 60, 5));
        track.Append(TimedNote(960, 62, 960));
        EXPECT_EQ(track.Rescale(960, 96, mode), 1);
        if (mode == 0) {
            ASSERT_EQ(track.count(), 2);
            EXPECT_EQ(track.At(0).duration, 1);
            EXPECT_THAT(Deltas(track), ElementsAre(96, 96));
        } else {
            ASSERT_EQ(track.count(), 1);
            EXPECT_EQ(track.At(0).key, 62);
            EXPECT_THAT(Deltas(track), ElementsAre(192));
        }
    }
}

TEST(MidiTrackDataRescaleTest, RefusesWhatCanNotBeScaled) {
    RecordedReports reports;
    BuildingTrack track;
    track.Append(TimedNote(48, 60, 48));
    EXPECT_EQ(track.Rescale(96, 96, 0), 0);
    EXPECT_EQ(track.Rescale(0, 96, 0), 0);
    EXPECT_EQ(track.Rescale(96, 0, 0), 0);
    EXPECT_EQ(track.Rescale(-48, 96, 0), 0);
    EXPECT_THAT(reports.Lines(), ElementsAre("MDTK0D000010 Invalid parameter.",
                                             "MDTK0D000010 Invalid parameter.",
                                             "MDTK0D000010 Invalid parameter."));
    reports.Clear();
    track.state = MidiTrackData::kStateReady;
    EXPECT_EQ(track.Rescale(960, 96, 0), 0);
    EXPECT_THAT(reports.Lines(), ElementsAre("MDTK0D000001 MidiTrackData Internal Error"));
    EXPECT_EQ(track.At(0).delta, 48);
    EXPECT_EQ(track.At(0).duration, 48);
}

TEST(MidiTrackDataTest, FindTimeSignatureTakesTheFirst) {
    MidiTrackData track(kCapacity);
    std::int32_t value = -7;
    EXPECT_FALSE(track.FindTimeSignature(value));
    EXPECT_EQ(value, -7);
    track.Append(Meta(0, MidiTrackData::kSetTempo, 500000));
    track.Append(Meta(0, MidiTrackData::kTimeSignature, 0x0304));
    track.Append(Meta(0, MidiTrackData::kTimeSignature, 0x0608));
    EXPECT_TRUE(track.FindTimeSignature(value));
    EXPECT_EQ(value, 0x0304);
}

TEST(MidiTrackDataTest, DestructionReportsLargeDataUnlessMarkedLong) {
    RecordedReports reports;
    {
        MidiTrackData track(kCapacity);
        const std::vector<std::uint8_t> bytes(300, 0x11);
        auto large = MidiEvent(0, 0xF0);
        large.SetData(bytes);
        auto marked = MidiEvent(0, 0xF0);
        marked.SetData(bytes);
        marked.code = 127;
        track.Append(std::move(large));
        track.Append(std::move(marked));
        reports.Clear();  // the event's own report of its size
    }
    EXPECT_THAT(reports.Lines(), ElementsAre("MDTK0D00001A Can not add data!"));
}

}  // namespace
}  // namespace zamrit
