// What the score says of the performance: dynamics and hairpins from the melody's volume,
// "rit." and "a tempo" from the tempo, staccato and "pizz." from the gates and the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "melody/MobileCommand.h"
#include "melody/MobileData.h"
#include "melody/MobileTrackData.h"
#include "score/LilyPondProgram.h"
#include "score/LilyPondWriter.h"
#include "score/MusicXmlWriter.h"
#include "score/ScoreBuilder.h"
#include "support/ShellCommand.h"

namespace zamrit {
namespace {

using Kind = score::Mark::Kind;

constexpr std::int32_t kNone = -1;  // a command of no channel, such as the tempo
constexpr std::int32_t kBar = 288;  // 3/4 at 96 ticks to the quarter
constexpr std::int32_t kViolin = 40;
constexpr std::int32_t kPizzicato = 45;

// One event of a hand-made performance at 96 ticks to the quarter: a note (code 0) of key
// `value`, or a command of `code` setting `value`.
struct Played {
    std::int32_t tick;
    std::int32_t channel;
    std::int32_t code;
    std::int32_t value;
    std::int32_t gate = 0;
    std::int32_t velocity = 0;
};

Played Note(std::int32_t tick, std::int32_t gate, std::int32_t channel = 0, std::int32_t key = 72,
            std::int32_t velocity = 100) {
    return {tick, channel, 0, key, gate, velocity};
}
Played Volume(std::int32_t tick, std::int32_t value) { return {tick, 0, kVolume, value}; }
Played Tempo(std::int32_t tick, std::int32_t microseconds) { return {tick, kNone, kTempo, microseconds}; }
Played Program(std::int32_t tick, std::int32_t program, std::int32_t channel = 0) {
    return {tick, channel, kVoice, program};
}

// The events in time order; at one tick the commands first, as the measure files have them.
std::unique_ptr<MobileData> Performance(std::vector<Played> events) {
    std::stable_sort(events.begin(), events.end(), [](const Played& a, const Played& b) {
        return a.tick != b.tick ? a.tick < b.tick : (a.code != 0) > (b.code != 0);
    });
    MobileTrackData track(0x1000);
    std::int32_t now = 0;
    for (const Played& event : events) {
        if (event.code == 0) {
            track.AppendNote(event.tick - now, event.channel, event.value, event.gate, event.velocity);
        } else {
            track.AppendCommand(event.tick - now, event.channel == kNone ? MusicEvent::kNoChannel : event.channel,
                                event.code, event.value);
        }
        now = event.tick;
    }
    auto melody = std::make_unique<MobileData>(0x1000);
    melody->AddTrack(track);
    melody->timeBase = 96;
    return melody;
}

// Quarter notes of the melody through `bars` bars of 3/4, and these events with them.
std::vector<Played> QuartersWith(std::int32_t bars, const std::vector<Played>& events) {
    std::vector<Played> all = events;
    for (std::int32_t tick = 0; tick < bars * kBar; tick += 96) all.push_back(Note(tick, 90));
    return all;
}

score::ScoreLayout Layout(std::int32_t beats, std::int64_t bars) { return {"", 120, {{"", 0, beats, false, 0, bars, 1}}}; }

// A mark with its bar: bar number, ticks into the bar, kind and text.
struct BarMark {
    std::int32_t bar;
    std::int32_t start;
    Kind kind;
    std::string text;

    bool operator==(const BarMark&) const = default;
};

std::ostream& operator<<(std::ostream& out, const BarMark& mark) {
    return out << "{bar " << mark.bar << " at " << mark.start << " kind " << static_cast<int>(mark.kind) << " '"
               << mark.text << "'}";
}

std::vector<BarMark> MarksOf(const score::Score& written) {
    std::vector<BarMark> marks;
    for (const auto& section : written.sections) {
        for (const auto& bar : section.bars) {
            for (const auto& mark : bar.marks) marks.push_back({bar.number, mark.start, mark.kind, mark.text});
        }
    }
    return marks;
}

struct CourseCase {
    const char* name;
    std::vector<Played> course;
    std::vector<BarMark> marks;
};

// Velocity 100 takes 4.2 dB: volume 64 plays p, 80 mp, 96 and 106 mf, 110 mf, 120 f.
TEST(PerformanceMarksTest, DynamicsFollowTheMelodysVolume) {
    const std::vector<CourseCase> cases{
        {"the same volume every bar", {Volume(0, 100), Volume(kBar, 100), Volume(2 * kBar, 100), Volume(3 * kBar, 100)}, {}},
        {"a wobble within a step", {Volume(0, 100), Volume(kBar, 104), Volume(2 * kBar, 100)}, {}},
        {"a rise of under 2 dB", {Volume(0, 100), Volume(kBar + 96, 102), Volume(kBar + 192, 104)}, {}},
        {"a crescendo on the beats of bar 2",
         {Volume(0, 64), Volume(kBar, 64), Volume(kBar + 96, 76), Volume(kBar + 192, 90), Volume(2 * kBar, 106)},
         {{1, 0, Kind::Dynamic, "p"}, {2, 0, Kind::Crescendo, ""}, {3, 0, Kind::HairpinEnd, ""}, {3, 0, Kind::Dynamic, "mf"}}},
        {"a diminuendo bar by bar",
         {Volume(0, 110), Volume(kBar, 96), Volume(2 * kBar, 80), Volume(3 * kBar, 64)},
         {{1, 0, Kind::Dynamic, "mf"}, {1, 0, Kind::Diminuendo, ""}, {4, 0, Kind::HairpinEnd, ""}, {4, 0, Kind::Dynamic, "p"}}},
        {"a sudden step is a mark, not a hairpin", {Volume(0, 64), Volume(2 * kBar, 120)},
         {{1, 0, Kind::Dynamic, "p"}, {3, 0, Kind::Dynamic, "f"}}},
    };
    for (const CourseCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto melody = Performance(QuartersWith(4, c.course));
        EXPECT_EQ(MarksOf(score::ScoreBuilder::Build(*melody, Layout(3, 4))), c.marks);
    }
}

TEST(PerformanceMarksTest, RitardandoWhereThePieceSlowsMarkedly) {
    const auto everyBar = [](std::vector<Played> more) {
        for (std::int32_t bar = 0; bar < 4; ++bar) {
            if (std::none_of(more.begin(), more.end(), [bar](const Played& p) { return p.tick == bar * kBar; })) {
                more.push_back(Tempo(bar * kBar, 500000));
            }
        }
        return more;
    };
    const std::vector<CourseCase> cases{
        {"in tempo", everyBar({}), {}},
        {"a phrase end broadened by 6 %, back at once", everyBar({Tempo(kBar, 530000)}), {}},
        {"a phrase end broadened by 6 % on its last beats, the last 13 % slower",
         everyBar({Tempo(kBar + 144, 521739), Tempo(kBar + 192, 545454), Tempo(kBar + 240, 566037)}), {}},
        {"a final ritardando, beat by beat",
         everyBar({Tempo(3 * kBar, 525000), Tempo(3 * kBar + 96, 575000), Tempo(3 * kBar + 192, 650000)}),
         {{4, 0, Kind::TempoWords, "rit."}}},
        {"a ritardando inside the piece and the tempo back",
         everyBar({Tempo(kBar, 520000), Tempo(kBar + 96, 560000), Tempo(kBar + 192, 600000)}),
         {{2, 0, Kind::TempoWords, "rit."}, {3, 0, Kind::TempoWords, "a tempo"}}},
        {"a ritardando and the tempo back within one bar",
         everyBar({Tempo(kBar, 600000), Tempo(kBar + 96, 650000), Tempo(kBar + 192, 500000)}),
         {{2, 0, Kind::TempoWords, "rit."}, {2, 192, Kind::TempoWords, "a tempo"}}},
    };
    for (const CourseCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto melody = Performance(QuartersWith(4, c.course));
        EXPECT_EQ(MarksOf(score::ScoreBuilder::Build(*melody, Layout(3, 4))), c.marks);
    }
}

// The first bar of the first voice as LilyPond writes it.
std::string FirstBarOfMelody(const std::string& lilyPond) {
    const std::size_t end = lilyPond.find(" | % 1\n");
    const std::size_t start = lilyPond.rfind('\n', end) + 1;
    return lilyPond.substr(lilyPond.find_first_not_of(' ', start), end - lilyPond.find_first_not_of(' ', start));
}

struct ArticulationCase {
    const char* name;
    std::vector<Played> played;
    std::string written;  // bar 1 of two bars of 2/4
};

TEST(PerformanceMarksTest, ShortNotesAreTheirValueWithAStaccatoDot) {
    const std::vector<ArticulationCase> cases{
        {"legato quarters", {Program(0, kViolin), Note(0, 90), Note(96, 90)}, "c''4 c''4"},
        {"detached quarters", {Program(0, kViolin), Note(0, 48), Note(96, 48), Note(192, 48)}, "c''4-. c''4-."},
        {"let go at 75 %: played as written", {Program(0, kViolin), Note(0, 72), Note(96, 72), Note(192, 72)}, "c''4 c''4"},
        {"a detached half note takes no dot", {Program(0, kViolin), Note(0, 134), Note(192, 48)}, "c''2"},
        {"off-beat eighths: an eighth and a rest, not a tie over the beat",
         {Program(0, kViolin), Note(48, 24), Note(144, 24)}, "r8 c''8-. r8 c''8-."},
        {"a short quarter before a rest: not a dotted eighth and a sixteenth rest",
         {Program(0, kViolin), Note(0, 67)}, "c''4-. r4"},
        {"silent a beat or more: the note ends where it stops", {Program(0, kViolin), Note(0, 40)}, "c''8 r8 r4"},
        {"a long note before a rest", {Program(0, kViolin), Note(0, 140)}, "c''4. r8"},
        {"plucked: pizz. once, no dots", {Program(0, kPizzicato), Note(0, 48), Note(96, 48), Note(192, 48)},
         "c''4^\"pizz.\" c''4"},
        {"plucked, then bowed", {Program(0, kPizzicato), Note(0, 48), Program(96, kViolin), Note(96, 90)},
         "c''4^\"pizz.\" c''4^\"arco\""},
    };
    for (const ArticulationCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto melody = Performance(c.played);
        EXPECT_EQ(FirstBarOfMelody(score::LilyPondWriter::Write(score::ScoreBuilder::Build(*melody, Layout(2, 2)))),
                  c.written);
    }
}

// Four bars of a violin over a plucked bass and a plucked inner voice under it on the treble
// staff: detached notes, a crescendo into bar 3 and a final ritardando.
score::Score PerformedScore() {
    std::vector<Played> played{Program(0, kViolin), Program(0, kPizzicato, 1), Program(0, kPizzicato, 2),
                               Note(0, 40, 2, 67), Volume(0, 64), Volume(kBar + 96, 76), Volume(kBar + 192, 90),
                               Volume(2 * kBar, 106)};
    for (std::int32_t bar = 0; bar < 4; ++bar) {
        played.push_back(Tempo(bar * kBar, bar < 3 ? 500000 : 520000));
        for (std::int32_t beat = 0; beat < 3; ++beat) {
            played.push_back(Note(bar * kBar + beat * 96, 60, 0, 72 + beat));
            played.push_back(Note(bar * kBar + beat * 96, 48, 1, 48));
        }
    }
    played.push_back(Tempo(3 * kBar + 96, 580000));
    played.push_back(Tempo(3 * kBar + 192, 660000));
    const auto melody = Performance(played);
    return score::ScoreBuilder::Build(*melody, Layout(3, 4));
}

TEST(PerformanceMarksTest, BothWritersCarryTheMarks) {
    const score::Score written = PerformedScore();
    const std::string xml = score::MusicXmlWriter::Write(written);
    const std::string ly = score::LilyPondWriter::Write(written);
    const std::vector<std::pair<std::string, std::string>> carried{
        {"<staccato/>", "d''4-."},
        {"<direction placement=\"above\">\n        <direction-type>\n          <words>pizz.</words>", "c4^\"pizz.\""},
        // The lower voice on the treble staff has its words under the staff.
        {"<direction placement=\"below\">\n        <direction-type>\n          <words>pizz.</words>", "g'8_\"pizz.\""},
        {"<dynamics>\n            <p/>", "\\p"},
        {"<wedge type=\"crescendo\"/>", "\\<"},
        {"<wedge type=\"stop\"/>", "\\mf"},
        {"<words font-style=\"italic\">rit.</words>", "^\\markup \\italic \"rit.\""},
    };
    for (const auto& [inXml, inLy] : carried) {
        EXPECT_NE(xml.find(inXml), std::string::npos) << inXml;
        EXPECT_NE(ly.find(inLy), std::string::npos) << inLy;
    }
    // The plucked parts take no dots, and each says "pizz." once.
    EXPECT_EQ(ly.find("c4-."), std::string::npos);
    EXPECT_EQ(ly.find("g'8-."), std::string::npos);
    std::size_t pizz = 0;
    for (std::size_t at = ly.find("pizz."); at != std::string::npos; at = ly.find("pizz.", at + 1)) ++pizz;
    EXPECT_EQ(pizz, 2U);
}

// The marks engrave as lilypond reads them: no error, no warning.
TEST(PerformanceMarksTest, TheMarkedScoreEngravesCleanly) {
    if (!score::LilyPondProgram::Find()) GTEST_SKIP() << score::LilyPondProgram::kInstallHint;
    const auto folder = std::filesystem::temp_directory_path() / ("zamrit-marks-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    {
        std::ofstream file(folder / "marks.ly");
        file << score::LilyPondWriter::Write(PerformedScore());
    }
    const auto run = testing::RunShellCommand("cd '" + folder.string() + "' && lilypond -s marks.ly 2>&1");
    std::filesystem::remove_all(folder);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "") << run.out;
}

}  // namespace
}  // namespace zamrit
