#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "support/ShellCommand.h"
#include "support/ToolRun.h"
#include "tools/MFiWriter.h"

namespace zamrit {
namespace {

namespace fs = std::filesystem;

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::RunShellCommand;
using testing::RunTool;

std::string Head(const fs::path& file, std::size_t length) {
    std::ifstream in(file, std::ios::binary);
    std::string text(length, '\0');
    in.read(text.data(), static_cast<std::streamsize>(length));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// A melody of one note after `rests` commands 255 ticks apart and `delta` ticks more, at
// `timeBaseCode` (4: 96 ticks to the quarter, 0: 6 ticks).
MFiWriter FarNote(int rests, std::uint8_t delta, std::uint8_t timeBaseCode = 4) {
    MFiEventWriter events;
    events.Tempo(0, timeBaseCode, 120);
    for (int i = 0; i < rests; ++i) events.Command(255, 0xD0, 0);
    events.Note(delta, 0, 20, 10, 40);
    events.Command(0, 0xDF, 0);
    MFiWriter file(4);
    file.InfoText("vers", "0200").Track(events);
    for (int track = 1; track < 4; ++track) file.Track(MFiEventWriter());
    return file;
}

// The thrown pieces come from the game's measure files; what is written goes to a folder of
// the test's own.
class ScoreCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        out_ = fs::temp_directory_path() / ("zamrit-score-command-" + std::to_string(::getpid()));
        fs::create_directories(out_);
    }
    void TearDown() override { fs::remove_all(out_); }

    testing::ToolRun Run(const std::string& args) const { return RunTool(args, ZAMRIT_MEASURE_DIR); }
    std::string Out(const std::string& name) const { return (out_ / name).string(); }

    fs::path out_;
};

// A notation program's reading of the MusicXML: musicxml2ly turns it into LilyPond, which
// compiles it, for both forms.
TEST_F(ScoreCommandTest, ThrownPiecesReadBackFromMusicXml) {
    for (const std::string form : {"minuet", "dance"}) {
        SCOPED_TRACE(form);
        const auto run = Run("score --form " + form + " --seed 11 --format musicxml -o " + Out(form + ".musicxml"));
        ASSERT_EQ(run.status, 0) << run.err;
        const auto json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["written"], true);
        EXPECT_EQ(json["bars"], form == "minuet" ? 32 : 16);
        EXPECT_EQ(json["seed"], 11);
        EXPECT_THAT(json["reports"], IsEmpty());

        const auto converted = RunShellCommand("musicxml2ly -o '" + Out(form + ".ly") + "' '" +
                                               Out(form + ".musicxml") + "' 2>&1");
        ASSERT_EQ(converted.status, 0) << converted.out;
        const auto engraved = RunShellCommand("cd '" + out_.string() + "' && lilypond -o '" + form + "' '" +
                                              form + ".ly' 2>&1");
        ASSERT_EQ(engraved.status, 0) << engraved.out;
        EXPECT_THAT(engraved.out, ::testing::Not(HasSubstr("error")));
        EXPECT_EQ(Head(out_ / (form + ".pdf"), 5), "%PDF-");
    }
}

TEST_F(ScoreCommandTest, PdfAndSvgAreEngraved) {
    const auto pdf = Run("score --form minuet --seed 5 --format pdf -o " + Out("minuet.pdf"));
    ASSERT_EQ(pdf.status, 0) << pdf.err;
    EXPECT_EQ(Head(out_ / "minuet.pdf", 5), "%PDF-");
    const auto svg = Run("score --form dance --seed 5 --format svg -o " + Out("dance.svg"));
    ASSERT_EQ(svg.status, 0) << svg.err;
    EXPECT_THAT(Head(out_ / "dance.svg", 400), HasSubstr("<svg"));
    // Only one file: the screen page is a single page however long the piece.
    EXPECT_EQ(std::distance(fs::directory_iterator(out_), fs::directory_iterator()), 2);
}

// Without lilypond on the search path the engraved formats are reported and written nowhere;
// the text formats do not need it.
TEST_F(ScoreCommandTest, WithoutLilyPondOnlyTheTextFormatsAreWritten) {
    const std::string tool = "cd '" ZAMRIT_MEASURE_DIR "' && PATH=/zamrit-nowhere " ZAMRIT_DICE " score --form minuet --seed 2 ";
    for (const std::string format : {"svg", "pdf"}) {
        const auto run = RunShellCommand(tool + "--format " + format + " -o " + Out("piece." + format) + " 2>/dev/null");
        EXPECT_EQ(run.status, 1) << format;
        const auto json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["written"], false);
        ASSERT_EQ(json["reports"].size(), 1U);
        EXPECT_THAT(json["reports"][0].get<std::string>(), HasSubstr("sudo apt install lilypond"));
        EXPECT_FALSE(fs::exists(out_ / ("piece." + format)));
    }
    for (const std::string format : {"musicxml", "ly"}) {
        const auto run = RunShellCommand(tool + "--format " + format + " -o " + Out("piece." + format) + " 2>/dev/null");
        EXPECT_EQ(run.status, 0) << format;
        EXPECT_GT(fs::file_size(out_ / ("piece." + format)), 1000U);
    }
}

TEST_F(ScoreCommandTest, UsageErrorsAndUnwritableFiles) {
    EXPECT_EQ(Run("score --form minuet -o " + Out("x.ly")).status, 2);                  // no format
    EXPECT_EQ(Run("score --form minuet --format png -o " + Out("x.png")).status, 2);    // no such format
    EXPECT_EQ(Run("score --format ly -o " + Out("x.ly")).status, 2);                    // no source

    for (const std::string format : {"ly", "musicxml", "pdf"}) {
        const std::string path = Out("missing/piece." + format);
        const auto run = Run("score --form dance --seed 1 --format " + format + " -o " + path);
        EXPECT_EQ(run.status, 1) << format;
        const auto json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["written"], false);
        EXPECT_THAT(json["reports"], ElementsAre("Can not write the file " + path + ": No such file or directory"));
    }
}

// The bar of measure files, which carry no time signature, is a file's own length: the
// game's minuet bars are written in 3/4 without a tie over a bar line, by --measures and as
// a single FILE, and a dance bar after them starts a section of 2/4.
TEST_F(ScoreCommandTest, MeasureFilesAreWrittenInTheirOwnMetre) {
    const auto three = Run("score --measures MN_07_01.dat MN_08_02.dat MN_05_03.dat --format ly -o " + Out("three.ly"));
    ASSERT_EQ(three.status, 0) << three.err;
    EXPECT_EQ(nlohmann::json::parse(three.out)["bars"], 3);
    const std::string text = Head(out_ / "three.ly", 1 << 16);
    EXPECT_THAT(text, HasSubstr("\\time 3/4"));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("\\time 4/4")));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("~ |")));

    const auto one = Run("score MN_07_01.dat --format musicxml -o " + Out("one.musicxml"));
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(nlohmann::json::parse(one.out)["bars"], 1);
    EXPECT_THAT(Head(out_ / "one.musicxml", 1 << 16), HasSubstr("<beats>3</beats>"));

    const auto mixed = Run("score --measures MN_07_01.dat MN_08_02.dat DA_07_01.dat --format ly -o " + Out("mixed.ly"));
    ASSERT_EQ(mixed.status, 0) << mixed.err;
    const std::string mixedText = Head(out_ / "mixed.ly", 1 << 16);
    EXPECT_LT(mixedText.find("\\time 3/4"), mixedText.find("\\time 2/4"));
}

// A piece longer than the score's 4096 bars is refused with a report before anything is
// built or written; one of 4096 bars is written.
TEST_F(ScoreCommandTest, APiecePastTheBarLimitIsRefused) {
    // 4096 bars of 4/4: the note starts in the last bar; one tick later it is a bar more.
    ASSERT_TRUE(FarNote(6166, 150).WriteFile(out_ / "longest.mfi"));
    ASSERT_TRUE(FarNote(6168, 24).WriteFile(out_ / "too-long.mfi"));
    const auto longest = Run("score " + Out("longest.mfi") + " --format musicxml -o " + Out("longest.musicxml"));
    EXPECT_EQ(longest.status, 0) << longest.err;
    EXPECT_EQ(nlohmann::json::parse(longest.out)["bars"], 4096);
    EXPECT_TRUE(fs::exists(out_ / "longest.musicxml"));

    for (const std::string format : {"musicxml", "ly", "svg"}) {
        const auto run = Run("score " + Out("too-long.mfi") + " --format " + format + " -o " + Out("too-long." + format));
        EXPECT_EQ(run.status, 1) << format;
        const auto json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["written"], false);
        EXPECT_EQ(json["bars"], 4097);
        EXPECT_THAT(json["reports"],
                    ElementsAre("Score not written: the piece has 4097 bars, and a score has at most 4096"));
        EXPECT_FALSE(fs::exists(out_ / ("too-long." + format)));
    }
}

// A missing or unusable TMPDIR is reported, and the tool ends as it should.
TEST_F(ScoreCommandTest, ATemporaryFolderThatCanNotBeMadeIsReported) {
    const std::string notAFolder = Out("plain-file");
    std::ofstream(notAFolder) << "x";
    for (const std::string& tmpdir : {Out("missing"), notAFolder}) {
        const auto run = RunShellCommand("cd '" ZAMRIT_MEASURE_DIR "' && TMPDIR='" + tmpdir + "' " ZAMRIT_DICE
                                         " score MN_07_01.dat --format svg -o " + Out("x.svg") + " 2>/dev/null");
        EXPECT_EQ(run.status, 1) << tmpdir;
        const auto json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["written"], false);
        ASSERT_EQ(json["reports"].size(), 1U);
        EXPECT_THAT(json["reports"][0].get<std::string>(), HasSubstr("Can not make a temporary folder in " + tmpdir + ": "));
    }
}

// lilypond engraving a long piece; a stop signal to the tool ends it: no lilypond is left,
// the temporary folder is gone, and the tool exits with 128 + the signal.
TEST_F(ScoreCommandTest, AStopSignalEndsLilyPondAndRemovesItsFolder) {
    // About 1,000 bars (six ticks to the quarter): lilypond takes several seconds.
    ASSERT_TRUE(FarNote(100, 20, 0).WriteFile(out_ / "long.mfi"));
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        const fs::path tmpdir = out_ / ("tmp-" + std::to_string(signal));
        fs::create_directories(tmpdir);
        const std::string json = Out("score-" + std::to_string(signal) + ".json");
        const pid_t tool = ::fork();
        ASSERT_GE(tool, 0);
        if (tool == 0) {
            ::setenv("TMPDIR", tmpdir.c_str(), 1);
            ::signal(SIGHUP, SIG_DFL);
            if (std::freopen(json.c_str(), "w", stdout) == nullptr) ::_exit(127);
            if (std::freopen("/dev/null", "w", stderr) == nullptr) ::_exit(127);
            ::execl(ZAMRIT_DICE, ZAMRIT_DICE, "score", Out("long.mfi").c_str(), "--format", "svg", "-o",
                    Out("long.svg").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Once lilypond has its source, it runs.
        const auto started = std::chrono::steady_clock::now();
        auto sourceWritten = [&tmpdir] {
            std::error_code ignored;
            for (const auto& entry : fs::recursive_directory_iterator(tmpdir, ignored)) {
                if (entry.path().filename() == "lilypond.log") return true;
            }
            return false;
        };
        while (!sourceWritten() && std::chrono::steady_clock::now() - started < std::chrono::seconds(60)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_TRUE(sourceWritten());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::kill(tool, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(tool, &status, 0), tool);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_TRUE(fs::is_empty(tmpdir));
        // The pattern's first character in brackets, so the shell that runs pgrep does not match.
        EXPECT_EQ(RunShellCommand("pgrep -f '[" + tmpdir.string().substr(0, 1) + "]" + tmpdir.string().substr(1) + "'").out, "");
        std::ifstream in(json);
        const auto summary = nlohmann::json::parse(in);
        EXPECT_EQ(summary["written"], false);
        EXPECT_EQ(summary["stoppedBy"], signal == SIGTERM ? "SIGTERM" : signal == SIGINT ? "SIGINT" : "SIGHUP");
        EXPECT_FALSE(fs::exists(out_ / "long.svg"));
    }
}

}  // namespace
}  // namespace zamrit
