#include "mfi/MFiTrack.h"

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
using testing::RecordedReports;

// Channel types of a file: channel number 9 (track 2, channel 1) plays drums.
MFiTrack::ChannelTypes FileTypes() {
    MFiTrack::ChannelTypes types;
    types.fill(MFiTrack::kMelodyChannel);
    types[9] = MFiTrack::kDrumChannel;
    return types;
}

struct ReadTrack {
    explicit ReadTrack(const MFiEventWriter& events, std::int32_t voiceType = 4,
                       std::int32_t index = 0, std::size_t bufferSize = 0x60000)
        : bytes(events.Chunk()), track(MFiBytes(bytes, bufferSize), index, voiceType, types) {}
    ReadTrack(const Bytes& chunk, std::int32_t voiceType, std::size_t bufferSize = 0x60000)
        : bytes(chunk), track(MFiBytes(bytes, bufferSize), 0, voiceType, types) {}

    Bytes bytes;
    MFiTrack::ChannelTypes types = FileTypes();
    MFiTrack track;
};

TEST(MFiTrackTest, MelodyNotesTakeKeyOctaveGateAndVelocity) {
    RecordedReports reports;
    // Byte 3 = velocity 18 << 2 | octave code: 0x48 code 0, 0x49 code 1, 0x4A code 2, 0x4B code 3.
    const ReadTrack read(MFiEventWriter()
                             .Note(0, 0, 10, 0x30, 18, 0)
                             .Note(0, 1, 10, 0x30, 18, 1)
                             .Note(0, 2, 10, 0x30, 18, 2)
                             .Note(0, 3, 10, 0x30, 18, 3)
                             .Note(200, 0, 63, 1, 63, 0));
    EXPECT_THAT(Describe(read.track),
                ElementsAre("note d0 c0 k55 g48 v36", "note d0 c1 k67 g48 v36",
                            "note d0 c2 k31 g48 v36", "note d0 c3 k43 g48 v36",
                            "note d200 c0 k108 g1 v126"));
    EXPECT_EQ(read.track.size, 8 + 20);
    EXPECT_EQ(read.track.timeBase, MFiTrack::kNoTimeBase);
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST(MFiTrackTest, ThreeByteNotesOfVoiceTypesOneAnd252) {
    for (std::int32_t voiceType : {1, 252}) {
        const ReadTrack read(MFiEventWriter().ShortNote(5, 0, 10, 0x30).Command(0, 0xE2, 0x10),
                             voiceType);
        EXPECT_THAT(Describe(read.track),
                    ElementsAre("note d5 c0 k55 g48 v100", "cmd d0 c0 35=32"));
    }
}

TEST(MFiTrackTest, DrumNotesFollowTheVoiceType) {
    // Track 2, channel 1 is channel number 9: a drum channel.
    struct Case {
        std::int32_t voiceType;
        std::uint8_t key, octave;
        std::int32_t midiKey;
    };
    const Case cases[] = {{4, 5, 0, 40},  {4, 5, 1, 52},   {5, 0, 2, 11},   {255, 5, 3, 38},
                          {255, 36, 0, 81}, {255, 5, 0, 50}, {250, 5, 3, 26}, {250, 0, 0, 45}};
    for (const Case& c : cases) {
        const ReadTrack read(MFiEventWriter().Note(0, 1, c.key, 10, 32, c.octave), c.voiceType, 2);
        ASSERT_EQ(read.track.trackData->count(), 1);
        EXPECT_EQ(read.track.trackData->At(0).key, c.midiKey)
            << c.voiceType << " " << int{c.key} << " " << int{c.octave};
    }
}

TEST(MFiTrackTest, DrumKeyAndOctaveShift) {
    EXPECT_EQ(MFiTrack::DrumKey(5, 3), 38);
    EXPECT_EQ(MFiTrack::DrumKey(2, 3), 35);
    EXPECT_EQ(MFiTrack::DrumKey(11, 3), 44);
    EXPECT_EQ(MFiTrack::DrumKey(0, 0), 45);
    EXPECT_EQ(MFiTrack::DrumKey(36, 0), 81);
    EXPECT_THAT((std::vector{MFiTrack::OctaveShift(0), MFiTrack::OctaveShift(1),
                             MFiTrack::OctaveShift(2), MFiTrack::OctaveShift(3)}),
                ElementsAre(0, 1, -2, -1));

    RecordedReports reports;
    EXPECT_EQ(MFiTrack::OctaveShift(4), 0);
    EXPECT_THAT(reports.Lines(), ElementsAre("MFTK1F000016 Shift data is invalid!"));
}

TEST(MFiTrackTest, DrumKeyWithoutADrumWarnsOncePerChunk) {
    RecordedReports reports;
    const ReadTrack read(MFiEventWriter().Note(0, 1, 1, 10, 32, 3).Note(20, 1, 37, 10, 32, 0), 255, 2);
    EXPECT_THAT(Describe(read.track), ElementsAre("note d0 c1 k35 g10 v64", "note d20 c1 k35 g10 v64"));
    const std::string warning = "MFTK1F000001 MFiトラックで内部エラーが発生しました。";
    EXPECT_THAT(reports.Lines(), ElementsAre(warning));
    const ReadTrack again(MFiEventWriter().Note(0, 1, 1, 10, 32, 3), 255, 2);
    EXPECT_THAT(reports.Lines(), ElementsAre(warning, warning));
}

TEST(MFiTrackTest, NotesOnChannelsThatDoNotFitTheVoiceTypeAreReportedAndKept) {
    RecordedReports reports;
    const ReadTrack drumOfTypeOne(MFiEventWriter().ShortNote(0, 1, 5, 10), 1, 2);
    EXPECT_THAT(Describe(drumOfTypeOne.track), ElementsAre("note d0 c1 k40 g10 v100"));
    const ReadTrack noRules(MFiEventWriter().Note(3, 0, 5, 10, 32).Command(1, 0xDE, 0), 3);
    EXPECT_THAT(Describe(noRules.track), ElementsAre("empty d3", "empty d1"));
    EXPECT_THAT(reports.Lines(), ElementsAre("MFTK1F000006 Invalid channel type in MFiTrack!",
                                             "MFTK1F00000F Invalid MFi type in MFiTrack!"));
}

TEST(MFiTrackTest, CommandsBecomeMobileCommands) {
    RecordedReports reports;
    const ReadTrack read(MFiEventWriter()
                             .Command(0, 0xB0, 200)
                             .Tempo(0, 3, 120)
                             .Command(0, 0xE1, 0x41)  // bank 1 on channel 1
                             .Command(0, 0xE0, 0x45)  // program 5 on channel 1
                             .Command(0, 0xE0, 0x05)  // program 5 on channel 0, bank 0
                             .Command(0, 0xE2, 0xBF)
                             .Command(0, 0xE3, 0x20)
                             .Command(0, 0xE4, 0x01)
                             .Command(0, 0xE7, 0xFF)
                             .Command(1, 0xD0, 0)
                             .Command(7, 0xD1, 0)
                             .Command(2, 0xDC, 0)
                             .Command(0, 0xE5, 0x49)
                             .Command(3, 0xF0, 0)
                             .Raw(Bytes(42, 0xEE))
                             .Command(4, 0xDE, 0));
    EXPECT_THAT(Describe(read.track),
                ElementsAre("cmd d0 c255 65=200", "cmd d0 c255 37=500000", "empty d0",
                            "cmd d0 c1 33=69", "cmd d0 c0 33=5", "cmd d0 c2 35=126",
                            "cmd d0 c0 36=64", "cmd d0 c0 39=2", "cmd d0 c3 71=63", "empty d1",
                            "empty d2", "cmd d0 c1 34=1", "empty d3", "empty d4"));
    EXPECT_EQ(read.track.timeBase, 48);
    EXPECT_EQ(read.track.channelType[1], MFiTrack::kDrumChannel);
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST(MFiTrackTest, BadCommandsAreReportedAndKeepTheirTime) {
    RecordedReports reports;
    const ReadTrack read(MFiEventWriter()
                             .Command(1, 0xB1, 0)
                             .Command(2, 0xC7, 10)
                             .Command(3, 0xCF, 10)
                             .Command(4, 0xE5, 0x43)
                             .Command(5, 0xE6, 0)
                             .Command(6, 0xF1, 0)
                             .Command(7, 0xB5, 0)
                             .Command(8, 0x12, 0));
    EXPECT_THAT(Describe(read.track),
                ElementsAre("empty d1", "empty d2", "empty d3", "cmd d4 c1 34=0", "empty d5",
                            "empty d6", "empty d7", "empty d8"));
    EXPECT_EQ(read.track.timeBase, MFiTrack::kNoTimeBase);
    EXPECT_THAT(reports.Lines(),
                ElementsAre("MFTK1F000009 Unknown event has been found in MFiTrack!",
                            "MFTK1F00000B Tempo is out of range!", "MFTK1F00000B Tempo is out of range!",
                            "MFTK1F00000C Invalid setting of drum in MFiTrack!",
                            "MFTK1F000014 Data is invalid!", "MFTK1F00000D Invalid vibrato in MFiTrack!",
                            "MFTK1F00000E Invalid event has been found in MFiTrack!",
                            "MFTK1F00000E Invalid event has been found in MFiTrack!"));
}

TEST(MFiTrackTest, TempoCodesSetTheTimeBaseAndATempoOfZeroIsLeftOut) {
    const std::pair<std::uint8_t, std::int32_t> bases[] = {
        {0, 6}, {1, 12}, {2, 24}, {3, 48}, {4, 96}, {5, 192}, {6, 384},
        {8, 15}, {9, 30}, {10, 60}, {11, 120}, {12, 240}, {13, 480}, {14, 960}};
    for (const auto& [code, base] : bases) {
        const ReadTrack read(MFiEventWriter().Tempo(0, 3, 100).Tempo(0, code, 250));
        EXPECT_EQ(read.track.timeBase, base) << int{code};
        EXPECT_EQ(read.track.trackData->At(1).value, 240000);
    }
    RecordedReports reports;
    const ReadTrack zero(MFiEventWriter().Tempo(6, 4, 0));
    EXPECT_EQ(zero.track.timeBase, 96);
    EXPECT_THAT(Describe(zero.track), ElementsAre("empty d6"));
    EXPECT_THAT(reports.Lines(), ElementsAre("MFTK1F00000B Tempo is out of range!"));
}

TEST(MFiTrackTest, ChannelAssignmentsUpdateTheSharedTableAndAreHandedOn) {
    RecordedReports reports;
    MFiEventWriter events;
    events.Command(5, 0xBA, 0x51)    // channel number 10, drum bit
        .Command(0, 0xBA, 0x08)      // channel number 1 (this track), melody
        .Command(0, 0xBA, 0x01)      // channel number 0 (this track), drum
        .Command(0, 0xBA, 0x81)      // channel number 16: there is none
        .Note(0, 0, 5, 10, 32);
    ReadTrack read(events);
    EXPECT_EQ(read.types[10], MFiTrack::kDrumChannel);
    EXPECT_EQ(read.types[0], MFiTrack::kDrumChannel);
    EXPECT_EQ(read.types[1], MFiTrack::kMelodyChannel);
    EXPECT_EQ(read.track.channelType[0], MFiTrack::kDrumChannel);
    EXPECT_THAT(Describe(read.track),
                ElementsAre("cmd d5 c-1 68=81", "cmd d0 c-1 68=8", "cmd d0 c-1 68=1",
                            "cmd d0 c-1 68=129", "note d0 c0 k40 g10 v64"));
    EXPECT_THAT(reports.Lines(), ElementsAre("MFTK1F00000A Invalid data has been found in MFiTrack!"));
}

TEST(MFiTrackTest, ExclusivePatterns) {
    RecordedReports reports;
    const ReadTrack read(MFiEventWriter()
                             .Exclusive(3, Bytes{0x71, 0xB0, 0x01, 0x00, 0x01, 0x22, 0x00})
                             .Exclusive(1, Bytes{0x71, 0xB1, 0x01, 0x00, 0x00, 0x05, 0x00})
                             .Exclusive(1, Bytes{0x31, 0xB1, 0x01, 0x00, 0x01, 0x3F, 0x00})
                             .Exclusive(1, Bytes{0x31, 0xB0, 0x01, 0x00, 0x00, 0x01, 0x00})
                             .Exclusive(2, Bytes{0x31, 0x10, 0x08, 0x02, 0x00, 0x03, 0, 0, 0, 0,
                                                 0, 0, 0, 0, 0, 0, 0, 0, 0x01})
                             .Exclusive(4, Bytes{0x11, 0x01, 0xF2, 0x07, 0, 0, 0, 0, 0, 0, 0,
                                                 0, 0, 0, 0, 0, 0, 0, 0, 0x02})
                             .Exclusive(5, Bytes(19, 0))
                             .Exclusive(6, Bytes{0x71, 0xB0})
                             .Command(7, 0xDE, 0));
    EXPECT_THAT(Describe(read.track),
                ElementsAre("cmd d3 c255 78=98", "cmd d1 c255 77=5", "cmd d1 c255 77=127",
                            "cmd d1 c255 78=1",
                            "cmd d2 c255 75=0", "cmd d0 c255 75=2", "cmd d0 c255 76=2",
                            "cmd d0 c255 76=15",
                            "cmd d4 c255 75=15", "empty d5", "empty d6", "empty d7"));
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST(MFiTrackTest, ChunkIdLengthAndSize) {
    RecordedReports reports;
    const ReadTrack empty(MFiEventWriter().Chunk(), 4);
    EXPECT_EQ(empty.track.size, 8);
    EXPECT_EQ(empty.track.trackData->count(), 0);
    EXPECT_EQ(empty.track.IdText(), "trac");
    EXPECT_THAT(reports.Lines(), IsEmpty());

    const ReadTrack otherId(MFiEventWriter().Note(0, 0, 10, 1, 1).Chunk("TRAC"), 4);
    EXPECT_EQ(otherId.track.IdText(), "TRAC");
    EXPECT_EQ(otherId.track.trackData->count(), 1);
    EXPECT_THAT(reports.Lines(),
                ElementsAre("MFTK1F000008 Invalid Track ID has been found in MFiTrack!"));

    // The last event runs past the chunk: it is read whole, and the size says so.
    Bytes longer = MFiEventWriter().Note(0, 0, 10, 1, 1).Exclusive(0, Bytes{1, 2, 3}).Chunk();
    longer[7] = 6;
    const ReadTrack past(longer, 4);
    EXPECT_EQ(past.track.size, 8 + 4 + 8);
    EXPECT_EQ(past.track.trackData->count(), 2);
}

TEST(MFiTrackTest, ReadingStopsAtTheEndOfTheBuffer) {
    RecordedReports reports;
    // A chunk that claims 4 GB: the bytes past the file read as zero (notes of key 0), and
    // reading ends where the buffer ends.
    Bytes huge = MFiEventWriter().Command(0, 0xDE, 0).Chunk();
    for (std::size_t i = 4; i < 8; ++i) huge[i] = 0xFF;
    const ReadTrack read(huge, 4, 1024);
    EXPECT_EQ(read.track.size, 1024);
    EXPECT_EQ(read.track.trackData->count(), 1 + (1024 - 12) / 4);
    EXPECT_EQ(Describe(read.track.trackData->At(1)), "note d0 c0 k45 g0 v0");

    // An exclusive event whose length runs past the buffer ends reading there too.
    const ReadTrack exclusive(MFiEventWriter().Raw(Bytes{0, 0xFF, 0xFF, 0xFF, 0xFF}).Chunk(), 4, 64);
    EXPECT_EQ(exclusive.track.size, 8 + 5 + 0xFFFF);
    EXPECT_THAT(Describe(exclusive.track), ElementsAre("empty d0"));
    EXPECT_THAT(reports.Lines(), IsEmpty());

    // A chunk that starts past the buffer reads nothing at all.
    const Bytes none;
    MFiTrack::ChannelTypes types = FileTypes();
    const MFiTrack outside(MFiBytes(none, 0x60000).From(0x60000), 3, 4, types);
    EXPECT_EQ(outside.size, 8);
    EXPECT_EQ(outside.trackData->count(), 0);
}

TEST(MFiTrackTest, OverlappingNotesOfAChannelAreJoined) {
    const ReadTrack read(MFiEventWriter()
                             .Note(0, 0, 10, 30, 32)
                             .Note(10, 0, 12, 20, 32)
                             .Note(0, 1, 10, 5, 32)   // another channel is its own
                             .Note(20, 0, 14, 8, 32)  // starts as the joined one ends
                             .Note(4, 1, 10, 5, 32));
    EXPECT_THAT(Describe(read.track),
                ElementsAre("note d0 c0 k55 g50 v64", "empty d10", "note d0 c1 k55 g5 v64",
                            "note d20 c0 k59 g8 v64", "note d4 c1 k55 g5 v64"));

    // A third note within the second keeps lengthening the note that sounds.
    const ReadTrack three(MFiEventWriter()
                              .Note(0, 0, 10, 30, 32)
                              .Note(10, 0, 12, 20, 32)
                              .Note(10, 0, 14, 20, 32));
    EXPECT_THAT(Describe(three.track),
                ElementsAre("note d0 c0 k55 g70 v64", "empty d10", "empty d10"));
}

TEST(MFiTrackTest, TiedNotesOfTheSameKeyAreJoinedAndTheGapsPurged) {
    MFiTrack track(0, 6);
    track.channelType.fill(MFiTrack::kMelodyChannel);
    track.trackData->AppendNote(0, 0, 60, 30, 64);
    track.trackData->AppendNote(10, 1, 60, 5, 64);
    track.trackData->AppendNote(10, 0, 60, 30, 64);  // 20 ticks in: tied, 10 ticks left
    track.trackData->AppendNote(40, 0, 60, 10, 64);  // after the end: stays
    track.MergeTiedNotes();
    EXPECT_THAT(Describe(track), ElementsAre("note d0 c0 k60 g50 v64", "note d10 c1 k60 g5 v64",
                                             "note d50 c0 k60 g10 v64"));
}

TEST(MFiTrackTest, RescaleTimeBaseConvertsDeltasAndDurations) {
    struct Case {
        std::int32_t from;
        std::int32_t delta, duration;
        std::int32_t newDelta, newDuration;
    };
    const Case cases[] = {{48, 10, 25, 20, 50}, {96, 7, 9, 7, 9}, {15, 1, 1, 6, 6},
                          {960, 19, 19, 1, 1},  {384, 3, 5, 0, 1}};
    for (const Case& c : cases) {
        MFiTrack track(0, 4);
        track.timeBase = c.from;
        track.trackData->AppendNote(c.delta, 0, 60, c.duration, 64);
        track.RescaleTimeBase(96);
        EXPECT_EQ(track.trackData->At(0).delta, c.newDelta) << c.from;
        EXPECT_EQ(track.trackData->At(0).duration, c.newDuration) << c.from;
        EXPECT_EQ(track.timeBase, 96);
    }
    MFiTrack unset(0, 4);
    unset.trackData->AppendNote(5, 0, 60, 5, 64);
    unset.RescaleTimeBase(96);
    EXPECT_EQ(unset.trackData->At(0).delta, 5);
}

TEST(MFiTrackTest, AppendCopiesEveryEventAndStopsAtTheLimit) {
    MFiTrack piece(0, 4);
    MFiTrack bar(0, 4);
    bar.trackData->AppendNote(3, 1, 60, 10, 64);
    bar.trackData->AppendCommand(0, 255, kTempo, 500000);
    piece.Append(bar);
    piece.Append(bar);
    EXPECT_THAT(Describe(piece), ElementsAre("note d3 c1 k60 g10 v64", "cmd d0 c255 37=500000",
                                             "note d3 c1 k60 g10 v64", "cmd d0 c255 37=500000"));
    EXPECT_EQ(bar.trackData->count(), 2);
    piece.Append(piece);
    EXPECT_EQ(piece.trackData->count(), 8);

    // 32 bars of 4096 events fill the track exactly; one more bar is left out, reported once.
    RecordedReports reports;
    MFiTrack big(0, 4);
    for (std::int32_t i = 0; i < 4096; ++i) big.trackData->AppendEmpty(1);
    MFiTrack joined(0, 4);
    for (int i = 0; i < 32; ++i) joined.Append(big);
    EXPECT_EQ(joined.trackData->count(), MobileTrackData::kEventLimit);
    EXPECT_THAT(reports.Lines(), IsEmpty());
    joined.Append(big);
    EXPECT_EQ(joined.trackData->count(), MobileTrackData::kEventLimit);
    EXPECT_THAT(reports.Lines(), ElementsAre("MBTK0C000008 Can not add data!"));
}

}  // namespace
}  // namespace zamrit
