// Scores at the edges: bars past 2^31 ticks, keys at and past the written range, and pieces
// past the limits of a score.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "melody/MobileData.h"
#include "melody/MobileTrackData.h"
#include "score/LilyPondWriter.h"
#include "score/MusicXmlWriter.h"
#include "score/PitchSpeller.h"
#include "score/ScoreBuilder.h"
#include "support/HandMadeMeasures.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;

// A melody of one track at 96 ticks to the quarter: notes of channel 0 with these deltas and keys.
std::unique_ptr<MobileData> MelodyOfDeltas(const std::vector<std::pair<std::int32_t, std::int32_t>>& deltasAndKeys) {
    MobileTrackData track(0x1000);
    for (const auto& [delta, key] : deltasAndKeys) track.AppendNote(delta, 0, key, 90, 64);
    auto melody = std::make_unique<MobileData>(0x1000);
    melody->AddTrack(track);
    melody->timeBase = 96;
    return melody;
}

bool IsWholeBarRest(const score::VoiceBar& voice) {
    return voice.elements.size() == 1 && voice.elements.front().wholeBarRest;
}

// Bars that start past 2^31 ticks keep their notes: a 3/4 section begins two bars before the
// first bar line past 2^31 (at 2^31 - 416), and a note on the third beat of its third bar is
// written there.
TEST(LongScoreTest, BarsPastTwoToTheThirtyFirstTicksKeepTheirNotes) {
    constexpr std::int32_t kHalfWay = 1 << 30;
    constexpr std::int64_t kSectionStart = (std::int64_t{1} << 31) - 416;
    const auto melody = MelodyOfDeltas({{kHalfWay, 60}, {static_cast<std::int32_t>(kSectionStart + 576 + 192 - kHalfWay), 72}});
    const score::ScoreLayout layout{"", 120, {{"", 0, 3, false, kSectionStart, 4, 1}}};
    const score::Score written = score::ScoreBuilder::Build(*melody, layout);
    ASSERT_EQ(written.sections.size(), 1U);
    const auto& bars = written.sections.front().bars;
    ASSERT_EQ(bars.size(), 4U);
    for (const std::size_t b : {0U, 1U, 3U}) EXPECT_TRUE(IsWholeBarRest(bars[b].voices[0])) << "bar " << b + 1;
    const auto& third = bars[2].voices[0].elements;
    ASSERT_EQ(third.size(), 2U);
    EXPECT_TRUE(third[0].IsRest());
    EXPECT_EQ(third[1].start, 192);
    ASSERT_EQ(third[1].pitches.size(), 1U);
    EXPECT_EQ(score::PitchSpeller::MidiKey(third[1].pitches.front()), 72);
    EXPECT_EQ(bars[3].number, 4);
}

// Every written pitch lies in octaves 0 to 9, in every key: the keys of the range are
// written as themselves (C0 in F# major is C, not B#-1), the others are left out with one
// report, in both formats.
TEST(ExtremeKeysTest, EveryWrittenPitchIsWithinOctavesZeroToNine) {
    const std::vector<std::int32_t> keys{0, 11, 12, 13, 23, 24, 119, 120, 127, 131, 132, 140};
    const std::vector<std::int32_t> writable{12, 13, 23, 24, 119, 120, 127, 131};
    std::vector<std::pair<std::int32_t, std::int32_t>> notes;
    for (const std::int32_t key : keys) notes.emplace_back(notes.empty() ? 0 : 96, key);
    const auto melody = MelodyOfDeltas(notes);
    for (const std::int32_t fifths : {0, 6, -6, 7, -7}) {
        SCOPED_TRACE(fifths);
        testing::RecordedReports reports;
        const score::ScoreLayout layout{"", 120, {{"", fifths, 4, false, 0, 3, 1}}};
        const score::Score written = score::ScoreBuilder::Build(*melody, layout);
        EXPECT_THAT(reports.Lines(), ElementsAre("4 notes lie outside the written range C0 to B9 (keys 12 to 131) "
                                                 "and are left out of the score"));
        std::vector<std::int32_t> writtenKeys;
        for (const score::Bar& bar : written.sections.front().bars) {
            for (const score::Element& element : bar.voices[0].elements) {
                for (const score::Pitch& pitch : element.pitches) {
                    EXPECT_GE(pitch.octave, 0);
                    EXPECT_LE(pitch.octave, 9);
                    if (!element.tiedFromPrevious) writtenKeys.push_back(score::PitchSpeller::MidiKey(pitch));
                }
            }
        }
        EXPECT_EQ(writtenKeys, writable);

        const std::string xml = score::MusicXmlWriter::Write(written);
        const std::regex octave("<octave>([^<]*)</octave>");
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), octave); it != std::sregex_iterator(); ++it) {
            EXPECT_TRUE(std::regex_match((*it)[1].str(), std::regex("[0-9]"))) << (*it)[1].str();
        }
        // LilyPond counts octaves from the one below middle C: C0 takes three commas, B9 six
        // apostrophes, and nothing goes beyond.
        const std::string ly = score::LilyPondWriter::Write(written);
        EXPECT_EQ(ly.find(",,,,"), std::string::npos);
        EXPECT_EQ(ly.find("'''''''"), std::string::npos);
    }
}

// The limits are checked before anything is built: 4096 bars are written, one more is
// refused with the reason; so is a score whose voices together pass 4096 bars of 4/4 in
// four voices.
TEST(ScoreLimitsTest, APiecePastTheLimitsIsRefusedBeforeItIsBuilt) {
    const auto twoVoices = testing::MelodyOf({{0, 0, 72, 96}, {0, 1, 48, 96}});
    const score::ScoreLayout longest{"", 120, {{"", 0, 4, false, 0, score::ScoreBuilder::kMostBars, 1}}};
    EXPECT_EQ(score::ScoreBuilder::Refusal(*twoVoices, longest), std::nullopt);
    const score::Score written = score::ScoreBuilder::Build(*twoVoices, longest);
    ASSERT_EQ(written.sections.size(), 1U);
    EXPECT_EQ(written.sections.front().bars.size(), 4096U);

    const score::ScoreLayout tooLong{"", 120, {{"", 0, 2, false, 0, 4000, 1}, {"", 0, 2, false, 8000 * 96, 97, 4001}}};
    EXPECT_EQ(score::ScoreBuilder::Refusal(*twoVoices, tooLong),
              "Score not written: the piece has 4097 bars, and a score has at most 4096");
    EXPECT_TRUE(score::ScoreBuilder::Build(*twoVoices, tooLong).sections.empty());

    const auto fiveVoices = testing::MelodyOf({{0, 0, 72, 96}, {0, 1, 48, 96}, {0, 2, 60, 96}, {0, 3, 64, 96}});
    MobileTrackData second(0x10);
    second.AppendNote(0, 0, 67, 96, 64);
    fiveVoices->AddTrack(second);
    EXPECT_EQ(score::ScoreBuilder::Refusal(*fiveVoices, longest),
              "Score not written: the piece has 5 voices of 16384 quarter notes, and a score has at most 65536 "
              "quarter notes in all its voices together");
    const score::ScoreLayout shorter{"", 120, {{"", 0, 4, false, 0, 3276, 1}}};
    EXPECT_EQ(score::ScoreBuilder::Refusal(*fiveVoices, shorter), std::nullopt);
}

}  // namespace
}  // namespace zamrit
