#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "MidiEvents.h"
#include "melody/MobileCommand.h"
#include "melody/MobileTrackData.h"
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
constexpr std::int32_t kTempoMeta = 0xFF;

// Converts with division 96, no time signature and the default tempo.
std::unique_ptr<MidiF0Data> Convert(const MobileTrackData& track) {
    auto sequence = std::make_unique<MidiF0Data>(kCapacity);
    track.ConvertToMidi(*sequence, 96, 0, 500000);
    return sequence;
}

TEST(ConvertToMidiTest, FillsTheSequenceTempoFirstAndEndOfTrackLast) {
    MobileTrackData track(kCapacity);
    track.AppendNote(10, 0, 60, 48, 100);
    auto sequence = std::make_unique<MidiF0Data>(kCapacity);
    sequence->state = MidiF0Data::kStateReady;
    track.ConvertToMidi(*sequence, 48, 0x0304, 600000);
    EXPECT_EQ(sequence->division, 48);
    EXPECT_EQ(sequence->timeSignature, 0x0304);
    EXPECT_EQ(sequence->state, MidiF0Data::kStateUnderConstruction);
    EXPECT_EQ(sequence->track->state, MidiTrackData::kStateUnderConstruction);
    EXPECT_THAT(Timeline(*sequence->track),
                ElementsAre(Timed{0, kTempoMeta, 0, kNone}, Timed{10, 0x10, 60, 0},
                            Timed{10, 0xFF, 0, kNone}));
    EXPECT_EQ(sequence->track->At(0).value, 600000);
    EXPECT_EQ(sequence->track->At(1).duration, 48);
    EXPECT_EQ(sequence->track->At(2).code, MidiTrackData::kEndOfTrack);
    EXPECT_EQ(track.count(), 1);  // the list is only read
}

TEST(ConvertToMidiTest, EveryCommandOfTheTable) {
    struct Case {
        std::int32_t code;
        std::int32_t channel;
        std::int32_t kind;
        std::int32_t midiCode;
    };
    for (const Case& c : {Case{kVoice, 2, 0xC0, kVoice}, Case{kVolume, 1, 0xB0, 7},
                          Case{kPan, 3, 0xB0, 10}, Case{kPitchBend, 4, 0xE0, kPitchBend},
                          Case{kTempo, kNone, 0xFF, 0x51}, Case{kTrackEnd, kNone, 0xFF, 0x2F}}) {
        RecordedReports reports;
        MobileTrackData track(kCapacity);
        track.AppendCommand(5, c.channel, c.code, 100);
        const auto sequence = Convert(track);
        ASSERT_GE(sequence->track->count(), 2) << c.code;
        const MusicEvent& converted = sequence->track->At(1);
        EXPECT_EQ(converted.kind, c.kind) << c.code;
        EXPECT_EQ(converted.code, c.midiCode) << c.code;
        EXPECT_EQ(converted.value, 100) << c.code;
        EXPECT_EQ(converted.channel, c.channel) << c.code;
        EXPECT_EQ(converted.delta, 5) << c.code;
        EXPECT_THAT(reports.Lines(), IsEmpty()) << c.code;
    }
}

TEST(ConvertToMidiTest, MasterVolumeGoesAheadOfTheTempoWithoutItsTime) {
    MobileTrackData track(kCapacity);
    track.AppendNote(0, 0, 60, 48, 100);
    track.AppendCommand(30, kNone, kMasterVolume, 100);
    track.AppendNote(20, 0, 62, 48, 100);
    const auto sequence = Convert(track);
    const MidiTrackData& midi = *sequence->track;
    ASSERT_EQ(midi.count(), 5);
    EXPECT_EQ(midi.At(0).kind, 0xF0);
    const auto bytes = midi.At(0).DataBytes();
    EXPECT_THAT(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                ElementsAre(0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7));
    EXPECT_EQ(midi.At(1).code, MidiTrackData::kSetTempo);
    EXPECT_EQ(midi.At(3).key, 62);
    EXPECT_EQ(midi.At(3).delta, 20);
}

TEST(ConvertToMidiTest, ADrumChannelPlaysItsVoiceAsTheKeyOnChannel9) {
    MobileTrackData track(kCapacity);
    track.AppendCommand(0, 2, kDrumMode, 1);
    track.AppendCommand(0, 2, kVoice, 38);
    track.AppendNote(0, 2, 60, 24, 100);
    track.AppendCommand(24, 2, kDrumMode, 0);  // back to melody mode
    track.AppendCommand(0, 2, kVoice, 5);
    track.AppendNote(0, 2, 60, 24, 100);
    const auto sequence = Convert(track);
    EXPECT_THAT(Timeline(*sequence->track),
                ElementsAre(Timed{0, kTempoMeta, 0, kNone}, Timed{0, 0x10, 38, 9},
                            Timed{24, 0xC0, 0, 2}, Timed{24, 0x10, 60, 2},
                            Timed{24, 0xFF, 0, kNone}));
    EXPECT_EQ(sequence->track->At(2).value, 5);
}

TEST(ConvertToMidiTest, MelodicChannel9MovesToTheFirstDrumChannel) {
    MobileTrackData track(kCapacity);
    track.AppendCommand(0, 4, kDrumMode, 1);
    track.AppendNote(0, 9, 64, 24, 100);
    track.AppendNote(0, 4, 36, 24, 100);
    track.AppendCommand(0, 9, kVolume, 90);
    const auto sequence = Convert(track);
    EXPECT_THAT(Timeline(*sequence->track),
                ElementsAre(Timed{0, kTempoMeta, 0, kNone}, Timed{0, 0x10, 64, 4},
                            Timed{0, 0x10, 36, 9}, Timed{0, 0xB0, 0, 4},
                            Timed{0, 0xFF, 0, kNone}));
}

TEST(ConvertToMidiTest, WithoutDrumsChannel9MovesToTheLowestUnusedChannel) {
    MobileTrackData track(kCapacity);
    track.AppendNote(0, 0, 60, 24, 100);
    track.AppendNote(0, 1, 62, 24, 100);
    track.AppendNote(0, 9, 64, 24, 100);
    const auto sequence = Convert(track);
    EXPECT_EQ(sequence->track->At(3).channel, 2);
}

TEST(ConvertToMidiTest, WithEveryChannelTakenChannel9IsSilencedWithOneWarning) {
    RecordedReports reports;
    MobileTrackData track(kCapacity);
    for (std::int32_t channel = 0; channel < 16; ++channel) {
        track.AppendNote(0, channel, 60, 24, 100);
    }
    track.AppendNote(10, 9, 62, 24, 100);
    track.AppendCommand(5, 9, kVolume, 90);
    track.AppendNote(5, 0, 64, 24, 100);
    const auto sequence = Convert(track);
    EXPECT_THAT(reports.Lines(),
                ElementsAre("MBTK0C000004 構成上、再生されないボイスがあります。"));
    const auto timeline = Timeline(*sequence->track);
    ASSERT_EQ(timeline.size(), 1u + 15u + 1u + 1u);  // tempo, 15 notes, the last note, end
    EXPECT_EQ(timeline[16], (Timed{20, 0x10, 64, 0}));
}

TEST(ConvertToMidiTest, UnknownCommandsKindsAndChannelsPlayNothingButKeepTheirTime) {
    RecordedReports reports;
    MobileTrackData track(kCapacity);
    track.AppendCommand(10, 0, 40, 1);
    track.AppendCommand(10, kNone, 69, 1);
    track.AppendEmpty(10);
    track.AppendNote(10, 20, 60, 24, 100);  // no such MIDI channel
    track.AppendNote(10, -3, 60, 24, 100);
    track.AppendCommand(10, 16, kDrumMode, 1);
    track.AppendNote(10, 0, 62, 24, 100);
    MusicEvent odd(10);
    odd.kind = 0x42;
    odd.channel = 1;
    track.AppendCopy(odd);
    track.AppendNote(10, 1, 64, 24, 100);
    const auto sequence = Convert(track);
    EXPECT_THAT(reports.Lines(),
                ElementsAre("MBTK0C000006 Channel data is invalid!",
                            "MBTK0C000006 Channel data is invalid!",
                            "MBTK0C000006 Channel data is invalid!",
                            "MBTK0C000001 Unknown command in mobile track data!",
                            "MBTK0C000001 Unknown command in mobile track data!",
                            "MBTK0C000002 Unknown event in mobile track data!"));
    EXPECT_THAT(Timeline(*sequence->track),
                ElementsAre(Timed{0, kTempoMeta, 0, kNone}, Timed{70, 0x10, 62, 0},
                            Timed{90, 0x10, 64, 1}, Timed{90, 0xFF, 0, kNone}));
}

TEST(ConvertToMidiTest, CommandDataTravelsAlong) {
    MobileTrackData track(kCapacity);
    MusicEvent tempo(0);
    tempo.kind = kCommandEvent;
    tempo.code = kTempo;
    tempo.value = 400000;
    const std::array<std::uint8_t, 2> bytes{0x12, 0x34};
    tempo.SetData(bytes);
    track.AppendWithChannel(0, tempo);
    const auto sequence = Convert(track);
    const auto copied = sequence->track->At(1).DataBytes();
    EXPECT_THAT(std::vector<std::uint8_t>(copied.begin(), copied.end()), ElementsAre(0x12, 0x34));
}

}  // namespace
}  // namespace zamrit
