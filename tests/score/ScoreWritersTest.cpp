#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "score/LilyPondWriter.h"
#include "score/MusicXmlWriter.h"
#include "score/ScoreBuilder.h"
#include "support/HandMadeMeasures.h"

namespace zamrit {
namespace {

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

score::Score HandMadeScore() {
    const auto melody = testing::MelodyOf(testing::HandMadeNotes());
    return score::ScoreBuilder::Build(*melody, testing::HandMadeLayout());
}

// The written text of the hand-made bars, compared whole: values, rests, ties, beams,
// accidentals, voices, keys, metres, labels, bar numbers and the repeat sign.
TEST(ScoreWritersTest, HandMadeBarsAsLilyPond) {
    EXPECT_EQ(score::LilyPondWriter::Write(HandMadeScore()),
              ReadText(std::filesystem::path(ZAMRIT_SCORE_DATA) / "hand-made.ly"));
}

TEST(ScoreWritersTest, HandMadeBarsAsMusicXml) {
    EXPECT_EQ(score::MusicXmlWriter::Write(HandMadeScore()),
              ReadText(std::filesystem::path(ZAMRIT_SCORE_DATA) / "hand-made.musicxml"));
}

TEST(ScoreWritersTest, TheScreenPageIsOneTallPage) {
    const std::string text = score::LilyPondWriter::Write(HandMadeScore(), score::LilyPondWriter::Page::Screen);
    EXPECT_NE(text.find("page-breaking = #ly:one-page-breaking"), std::string::npos);
    EXPECT_EQ(text.find("set-paper-size"), std::string::npos);
}

}  // namespace
}  // namespace zamrit
