#include <gtest/gtest.h>

#include <string>

#include "score/BarRegions.h"
#include "score/ScoreLayout.h"

namespace zamrit {
namespace {

using score::BarRegions;
using score::PageBox;

// Three bars of one voice, a line each as the writer puts them, and a line that is no bar.
constexpr const char* kLilyPond =
    "\\version \"2.24.0\"\n"                 // 1
    "marks = { s4*3*3 }\n"                   // 2
    "    \\new Voice {\n"                    // 3
    "      c''4 d''4 e''4 | % 5\n"           // 4
    "      f''2. | % 6\n"                    // 5
    "      g'4 r4 r4 | % 7  \n";             // 6

// PostScript as LilyPond writes it, with a staff space of 2 mm: bars 5 and 6 in the first
// system, bar 7 alone in the second, further down and back at the left.
const std::string kPostScript =
    "%!PS-Adobe-3.0\n/output-scale 2 def\n"
    "10 -12 11 -10 (textedit:///tmp/a b/score.ly:4:7:8) mark_URI\n"
    "14 -11 15 -9 (textedit:///tmp/a b/score.ly:4:12:13) mark_URI\n"
    "30 -13 31 -11 (textedit:///tmp/a b/score.ly:5:7:8) mark_URI\n"
    "5 -30 6 -28 (textedit:///tmp/a b/score.ly:6:7:8) mark_URI\n"
    "9 -31 10 -29 (textedit:///tmp/a b/score.ly:6:12:13) mark_URI\n"
    "50 -5 52 -3 (textedit:///tmp/a b/score.ly:2:1:2) mark_URI\n"      // not a bar's line
    "1 -1 (textedit:///tmp/score.ly:4:7:8) mark_URI\n"                  // too few numbers
    "1 -1 2 -2 (textedit:///tmp/score.ly:x:7:8) mark_URI\n"             // no line number
    "1 -1 2 -2 (file:///tmp/score.ly:4:7:8) mark_URI\n";                // not a link to the source

TEST(BarRegionsTest, BarsSpanTheirSystemAndMeetHalfwayBetweenTheirNotes) {
    const auto boxes = BarRegions::Find(kPostScript, kLilyPond);
    ASSERT_EQ(boxes.size(), 3u);
    // System 1 reaches from y 9 to 13 staff spaces below the top, 1.5 more each way; bars 5
    // and 6 meet halfway between 15 and 30; the ends reach 1.5 staff spaces past the notes.
    EXPECT_EQ(boxes.at(5), (PageBox{(10 - 1.5) * 2, (9 - 1.5) * 2, 22.5 * 2, (13 + 1.5) * 2}));
    EXPECT_EQ(boxes.at(6), (PageBox{22.5 * 2, (9 - 1.5) * 2, (31 + 1.5) * 2, (13 + 1.5) * 2}));
    EXPECT_EQ(boxes.at(7), (PageBox{(5 - 1.5) * 2, (28 - 1.5) * 2, (10 + 1.5) * 2, (31 + 1.5) * 2}));
}

TEST(BarRegionsTest, TextThatIsNotLilyPondPostScriptGivesNoBars) {
    EXPECT_TRUE(BarRegions::Find("", kLilyPond).empty());
    EXPECT_TRUE(BarRegions::Find("10 -12 11 -10 (textedit:///s.ly:4:7:8) mark_URI\n", kLilyPond).empty());
    EXPECT_TRUE(BarRegions::Find("/output-scale 0 def\n10 -12 11 -10 (textedit:///s.ly:4:7:8) mark_URI", kLilyPond).empty());
    EXPECT_TRUE(BarRegions::Find(kPostScript, "").empty());
    // A link at the very start of the text, with no line before it, still counts.
    EXPECT_EQ(BarRegions::Find("1 -2 3 -1 (textedit:///s.ly:5:1:2) mark_URI /output-scale 1 def", kLilyPond).size(), 1u);
}

// The dance's first part is written once between repeat signs: its second time through, bars
// 9-16 as the game counts them, is bars 1-8 on the page.
TEST(ScoreLayoutTest, TheSecondTimeThroughARepeatIsItsWrittenBars) {
    const score::ScoreLayout dance = score::ScoreLayout::ForForm(PieceForm::Dance);
    const score::ScoreLayout minuet = score::ScoreLayout::ForForm(PieceForm::MinuetTrio);
    const std::pair<int, int> danceBars[]{{1, 1}, {8, 8}, {9, 1}, {16, 8}, {17, 17}, {24, 24}, {0, 0}};
    for (const auto& [played, written] : danceBars) EXPECT_EQ(dance.WrittenBar(played), written) << played;
    for (int bar = 0; bar <= 32; ++bar) EXPECT_EQ(minuet.WrittenBar(bar), bar);
}

}  // namespace
}  // namespace zamrit
