#include "mfi/MFiData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "mfi/MFiFixtures.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Bytes;
using testing::Describe;
using testing::FourTracks;
using testing::Load;
using testing::RecordedReports;

TEST(MFiDataTest, LoadsAFileOfTheVoiceTypeItNamesWhateverWasAsked) {
    RecordedReports reports;
    const auto path = std::filesystem::temp_directory_path() /
                      ("mfi-data-test-" + std::to_string(::getpid()) + ".dat");
    MFiWriter file(1);
    file.InfoText("vers", "0100").Track(MFiEventWriter().Tempo(0, 3, 120).ShortNote(5, 0, 10, 0x30));
    ASSERT_TRUE(file.WriteFile(path));
    const MFiData data(path.string(), 4);
    std::filesystem::remove(path);

    EXPECT_EQ(data.voiceType, 1);
    EXPECT_EQ(data.trackCount, 1);
    ASSERT_NE(data.header, nullptr);
    EXPECT_EQ(data.header->IdText(), "melo");
    EXPECT_TRUE(data.info->VersionIs("0100"));
    EXPECT_THAT(Describe(*data.GetTrack(0)),
                ElementsAre("cmd d0 c255 37=500000", "note d10 c0 k55 g96 v100"));
    EXPECT_EQ(data.GetTrack(1), nullptr);
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST(MFiDataTest, VoiceTypesWithoutATrackLayoutAreRefused) {
    for (std::uint8_t voiceCode : {0, 2, 3, 6, 7, 8, 9, 32, 253}) {
        RecordedReports reports;
        MFiWriter file(voiceCode);
        file.Track(MFiEventWriter().Note(0, 0, 10, 10, 10));
        const auto data = Load(file.Bytes());
        EXPECT_EQ(data->voiceType, voiceCode);
        EXPECT_EQ(data->trackCount, 0) << int{voiceCode};
        EXPECT_NE(data->info, nullptr);
        EXPECT_THAT(reports.Lines(), ElementsAre("MFDT20000003 Voice of loaded file and voice of "
                                                 "setting does not match."));
    }
}

TEST(MFiDataTest, WrongFileIdStopsReading) {
    RecordedReports reports;
    const auto data = Load(MFiWriter(4, "MELO").Track(MFiEventWriter()).Bytes());
    EXPECT_EQ(data->voiceType, 251);
    EXPECT_EQ(data->trackCount, 0);
    ASSERT_NE(data->header, nullptr);
    EXPECT_EQ(data->header->voiceType, 251);
    EXPECT_EQ(data->info, nullptr);
    EXPECT_THAT(reports.Lines(), ElementsAre("MFHD21000002 MFi Voice type is wrong!"));
}

TEST(MFiDataTest, MissingOrEmptyFileHoldsNoMelody) {
    RecordedReports reports;
    const MFiData missing("no-such-measure.dat", 4);
    EXPECT_EQ(missing.trackCount, 0);
    EXPECT_EQ(missing.header, nullptr);
    EXPECT_EQ(missing.info, nullptr);
    EXPECT_EQ(missing.GetTrack(0), nullptr);
    EXPECT_THAT(reports.Lines(), ElementsAre("no-such-measure.dat", "GENE01000007 Cant open file!"));

    MobileData melody(0x60000);
    missing.ToMobileData(melody);
    EXPECT_EQ(melody.channelCount, 0);
    EXPECT_EQ(melody.timeBase, 96);

    reports.Clear();
    const auto empty = Load(Bytes{});
    EXPECT_EQ(empty->trackCount, 0);
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST(MFiDataTest, EmptyPieceHasOneMelodyTrackAndTheDefaultHead) {
    RecordedReports reports;
    const MFiData piece(4, 0x60000);
    EXPECT_EQ(piece.trackCount, 1);
    EXPECT_EQ(piece.voiceType, 4);
    EXPECT_EQ(piece.header->IdText(), "melo");
    EXPECT_EQ(piece.header->voiceType, 4);
    EXPECT_TRUE(piece.info->VersionIs("0200"));
    ASSERT_NE(piece.GetTrack(0), nullptr);
    EXPECT_EQ(piece.GetTrack(0)->IdText(), "trac");
    EXPECT_EQ(piece.GetTrack(0)->size, 0);
    for (std::int32_t type : piece.GetTrack(0)->channelType) EXPECT_EQ(type, MFiTrack::kMelodyChannel);

    MobileData melody(0x60000);
    piece.ToMobileData(melody);
    EXPECT_EQ(melody.channelCount, 4);
    EXPECT_EQ(melody.timeBase, 96);
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST(MFiDataTest, PieceJoinsTrackZeroOfEveryBarAndHandsItOn) {
    const Bytes bar = FourTracks({MFiEventWriter().Tempo(0, 3, 120).Note(0, 0, 10, 48, 32).Command(
                                      192, 0xDE, 0),
                                  MFiEventWriter().Note(0, 0, 20, 48, 32)});
    MFiData piece(4, 0x60000);
    for (int i = 0; i < 3; ++i) piece.GetTrack(0)->Append(*Load(bar)->GetTrack(0));
    EXPECT_EQ(piece.GetTrack(0)->trackData->count(), 9);

    MobileData melody(0x60000);
    piece.ToMobileData(melody);
    EXPECT_EQ(melody.MeasureLength(), 384);
    EXPECT_EQ(melody.MeasureCount(), 3);
}

TEST(MFiDataTest, DrumChannelDefaultsToDrumsWithTheKeyCorrectionUnlessVersion0300) {
    const MFiEventWriter drumNote = MFiEventWriter().Note(0, 1, 5, 10, 32);  // key 40
    struct Case {
        const char* version;
        std::int32_t key;
    };
    for (const Case& c : {Case{"0200", 30}, Case{nullptr, 30}, Case{"0300", 40}}) {
        const auto data = Load(FourTracks({{}, {}, drumNote}, c.version));
        EXPECT_THAT(Describe(*data->GetTrack(2)),
                    ElementsAre("cmd d0 c1 34=1", "note d0 c1 k" + std::to_string(c.key) + " g20 v64"))
            << (c.version ? c.version : "no vers");
    }
    for (std::uint8_t drumSetting : {0x49, 0x43}) {  // drum mode 1, then 0
        const auto data = Load(FourTracks({{}, {}, MFiEventWriter().Command(0, 0xE5, drumSetting)
                                                       .Note(0, 1, 5, 10, 32)}));
        EXPECT_EQ(data->GetTrack(2)->trackData->count(), 2);
        EXPECT_EQ(data->GetTrack(2)->trackData->At(1).key, 40);
    }
}

TEST(MFiDataTest, AllTracksShareTheLastTimeBaseAndAreRescaledTo96) {
    const MFiEventWriter note = MFiEventWriter().Note(10, 0, 10, 25, 32);
    struct Case {
        std::vector<MFiEventWriter> tracks;
        std::int32_t delta, duration;
    };
    const Case cases[] = {
        {{MFiEventWriter().Tempo(0, 3, 120), note, note, note}, 20, 50},  // 48 in track 0
        {{note, note, note, note}, 20, 50},                               // none: 48
        {{MFiEventWriter().Tempo(0, 3, 120), note, note, MFiEventWriter().Tempo(0, 4, 120)}, 10, 25},
        {{MFiEventWriter().Tempo(0, 4, 120), note, MFiEventWriter().Tempo(0, 8, 120), note}, 64, 160},
    };
    for (const Case& c : cases) {
        const auto data = Load(FourTracks(c.tracks));
        for (std::int32_t t = 0; t < 4; ++t) EXPECT_EQ(data->GetTrack(t)->timeBase, 96);
        const MusicEvent& event = data->GetTrack(1)->trackData->At(0);
        EXPECT_EQ(event.delta, c.delta);
        EXPECT_EQ(event.duration, c.duration);
    }
}

TEST(MFiDataTest, ChannelAssignmentsMoveToTheTrackOfTheChannel) {
    RecordedReports reports;
    const auto data = Load(FourTracks({MFiEventWriter()
                                           .Command(7, 0xBA, 0x51)   // channel 10: track 2, ch 2
                                           .Command(3, 0xBA, 0x09)   // channel 1: this track
                                           .Command(2, 0xBA, 0x81)   // channel 16: none
                                           .Tempo(0, 4, 120)}));
    EXPECT_THAT(Describe(*data->GetTrack(0)),
                ElementsAre("cmd d0 c1 34=1", "empty d7", "empty d3", "empty d2",
                            "cmd d0 c255 37=500000"));
    EXPECT_THAT(Describe(*data->GetTrack(2)), ElementsAre("cmd d0 c1 34=1", "cmd d0 c2 34=1"));
    EXPECT_THAT(reports.Lines(),
                ElementsAre("MFTK1F00000A Invalid data has been found in MFiTrack!",
                            "MFDT20000005 There are an error of specifying track of MFi."));

    // A one-track file has no track 1 to take an assignment.
    reports.Clear();
    const auto single = Load(MFiWriter(1).Track(MFiEventWriter().Command(0, 0xBA, 0x20)).Bytes());
    EXPECT_THAT(Describe(*single->GetTrack(0)), ElementsAre("empty d0"));
    EXPECT_THAT(reports.Lines(),
                ElementsAre("MFDT20000005 There are an error of specifying track of MFi."));
}

TEST(MFiDataTest, CmidFilesUseTheDrumMapOrTheStream) {
    RecordedReports reports;
    MFiWriter cmid(0, "cmid", 2, 1);
    cmid.InfoText("vers", "0200");
    cmid.Track(MFiEventWriter()).Track(MFiEventWriter());
    cmid.Track(MFiEventWriter().Note(0, 1, 5, 10, 32, 3)).Track(MFiEventWriter());
    const auto drums = Load(cmid.Bytes());
    EXPECT_EQ(drums->voiceType, 255);
    // Drum key 5 with octave code 3 is key 38, then corrected by the drum default.
    EXPECT_THAT(Describe(*drums->GetTrack(2)), ElementsAre("cmd d0 c1 34=1", "note d0 c1 k28 g20 v64"));

    // Voice code 1 without "vers" 0200 is not supported, and its stream is read all the same.
    MFiWriter unsupported(1, "cmid", 2, 1);
    unsupported.Stream(MFiEventWriter().Note(4, 0, 10, 0x30, 18));
    const auto stream = Load(unsupported.Bytes());
    EXPECT_EQ(stream->voiceType, 254);
    EXPECT_EQ(stream->trackCount, 4);
    EXPECT_THAT(Describe(*stream->GetTrack(0)), ElementsAre("note d8 c0 k55 g96 v36"));
    EXPECT_THAT(reports.Lines(), ElementsAre("MFDT2000000A PMD 16 voice is not supported!"));
}

TEST(MFiDataTest, HeaderLengthsThatLieAreReadSafely) {
    for (std::uint16_t headerLength : {0, 1, 2, 5, 0xFFFF}) {
        RecordedReports reports;
        const Bytes image =
            MFiWriter(4).InfoText("vers", "0200").Track(MFiEventWriter()).HeaderLength(headerLength).Bytes();
        const auto data = Load(image);
        EXPECT_EQ(data->trackCount, 4);
        EXPECT_EQ(data->GetTrack(0)->IdText() == "trac", headerLength == 13) << headerLength;
    }
}

}  // namespace
}  // namespace zamrit
