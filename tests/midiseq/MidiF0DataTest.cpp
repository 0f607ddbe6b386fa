#include "midiseq/MidiF0Data.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "MidiEvents.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Control;
using testing::Meta;
using testing::RecordedReports;
using testing::Timed;
using testing::TimedNote;
using testing::Timeline;

constexpr std::int32_t kCapacity = 0x60000;
constexpr std::int32_t kNone = MusicEvent::kNoChannel;

TEST(MidiF0DataTest, StartsUnderConstructionAt960) {
    const MidiF0Data sequence(kCapacity);
    EXPECT_EQ(sequence.division, 960);
    EXPECT_EQ(sequence.state, MidiF0Data::kStateUnderConstruction);
    EXPECT_EQ(sequence.timeSignature, 0);
    EXPECT_EQ(sequence.track->state, MidiTrackData::kStateUnderConstruction);
    EXPECT_EQ(sequence.track->count(), 0);
}

TEST(MidiF0DataTest, SetDivisionRescalesTheTrackAndTakesTheDivision) {
    MidiF0Data sequence(kCapacity);
    sequence.track->Append(TimedNote(480, 60, 5));
    EXPECT_EQ(sequence.SetDivision(96), 1);
    EXPECT_EQ(sequence.division, 96);
    EXPECT_EQ(sequence.track->At(0).delta, 48);
    EXPECT_EQ(sequence.track->At(0).duration, 1);
    EXPECT_EQ(sequence.SetDivision(96), 0);
    EXPECT_EQ(sequence.track->At(0).delta, 48);
}

TEST(MidiF0DataTest, FinalizeOnlyOnce) {
    RecordedReports reports;
    MidiF0Data sequence(kCapacity);
    sequence.track->Append(TimedNote(0, 60, 48));
    sequence.track->AppendEndOfTrack(0);
    sequence.Finalize();
    EXPECT_EQ(sequence.state, MidiF0Data::kStateReady);
    EXPECT_EQ(sequence.track->state, MidiTrackData::kStateReady);
    ASSERT_EQ(sequence.track->count(), 3);
    sequence.Finalize();
    EXPECT_THAT(reports.Lines(), ElementsAre("M0DT04000005 Internal error occured in MidiF0Data!"));
    EXPECT_EQ(sequence.track->count(), 3);
}

TEST(MidiF0DataTest, MeasureLengthFromTheSignatureAndDivision) {
    struct Case {
        std::int32_t signature;
        std::int32_t division;
        std::int32_t expected;
    };
    for (const Case& c : {Case{0x0404, 96, 384}, Case{0x0304, 96, 288}, Case{0x0608, 96, 288},
                          Case{0x0202, 480, 1920}, Case{0, 96, 384}, Case{0x0400, 96, 384},
                          Case{0x0404, 0, 384}, Case{0x0004, 96, 384}, Case{-0x0304, 96, 288},
                          Case{0x7F02, 0x7FFFFFFF, 384}}) {
        MidiF0Data sequence(kCapacity);
        sequence.timeSignature = c.signature;
        sequence.division = c.division;
        EXPECT_EQ(sequence.MeasureLength(), c.expected)
            << std::hex << "signature 0x" << c.signature << std::dec << " division " << c.division;
    }
}

TEST(MidiF0DataTest, MeasureLengthFallsBackToTheTracksTimeSignature) {
    MidiF0Data sequence(kCapacity);
    sequence.division = 96;
    sequence.track->Append(Meta(0, MidiTrackData::kTimeSignature, 0x0304));
    EXPECT_EQ(sequence.MeasureLength(), 288);
    sequence.timeSignature = 0x0204;
    EXPECT_EQ(sequence.MeasureLength(), 192);
}

TEST(MidiF0DataTrimTest, DropsTheSilentMeasuresBeforeTheFirstNote) {
    MidiF0Data sequence(kCapacity);
    sequence.division = 96;
    sequence.track->AppendTempo(500000);
    sequence.track->Append(Control(100, 0, 7, 100));
    sequence.track->Append(TimedNote(300, 60, 48));  // tick 400
    sequence.track->AppendEndOfTrack(48);
    sequence.Finalize();
    EXPECT_EQ(sequence.TrimLeadingMeasures(), 384);
    EXPECT_THAT(Timeline(*sequence.track),
                ElementsAre(Timed{0, 0xFF, 0, kNone}, Timed{0, 0xB0, 0, 0}, Timed{16, 0x90, 60, 0},
                            Timed{64, 0x80, 60, 0}, Timed{64, 0xFF, 0, kNone}));
}

TEST(MidiF0DataTrimTest, KeepsAPieceThatSoundsInItsFirstMeasure) {
    MidiF0Data sequence(kCapacity);
    sequence.division = 96;
    sequence.track->Append(TimedNote(383, 60, 48));
    EXPECT_EQ(sequence.TrimLeadingMeasures(), 0);  // under construction: the timed note counts
    EXPECT_EQ(sequence.track->At(0).delta, 383);
}

TEST(MidiF0DataTrimTest, ASequenceWithoutNotesLosesItsWholeMeasures) {
    MidiF0Data sequence(kCapacity);
    sequence.division = 96;
    sequence.track->Append(Control(500, 0, 7, 100));
    sequence.track->AppendEndOfTrack(300);
    EXPECT_EQ(sequence.TrimLeadingMeasures(), 768);
    EXPECT_THAT(Timeline(*sequence.track),
                ElementsAre(Timed{0, 0xB0, 0, 0}, Timed{32, 0xFF, 0, kNone}));
}

TEST(MidiF0DataTrimTest, AnUnusableSignatureMeasuresBy384AndAnOddStateIsRefused) {
    RecordedReports reports;
    MidiF0Data sequence(kCapacity);
    sequence.division = 96;
    sequence.timeSignature = 0x0300;  // denominator 0
    sequence.track->Append(TimedNote(400, 60, 48));
    EXPECT_EQ(sequence.TrimLeadingMeasures(), 384);
    EXPECT_THAT(reports.Lines(), IsEmpty());

    sequence.state = 0;
    EXPECT_EQ(sequence.TrimLeadingMeasures(), 0);
    EXPECT_THAT(reports.Lines(), ElementsAre("M0DT04000005 Internal error occured in MidiF0Data!"));
}

TEST(MidiF0DataTest, TheSignaturePositionWarningShowsOncePerConstruction) {
    RecordedReports reports;
    MidiF0Data first(kCapacity);
    MidiF0Data::ReportOnce(0x04000007);
    MidiF0Data::ReportOnce(0x04000007);
    MidiF0Data second(kCapacity);
    MidiF0Data::ReportOnce(0x04000007);
    EXPECT_THAT(reports.Lines(), ElementsAre("M0DT04000007 拍子記号の位置が異常です。",
                                             "M0DT04000007 拍子記号の位置が異常です。"));
    reports.Clear();
    MidiF0Data::ReportError(0x04000006);
    EXPECT_THAT(reports.Lines(), ElementsAre("M0DT04000006 Error occurred in MidiF0Data!"));
}

}  // namespace
}  // namespace zamrit
