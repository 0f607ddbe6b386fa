#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include <unistd.h>

#include "support/ShellCommand.h"
#include "support/ToolRun.h"

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
        EXPECT_THAT(json["reports"], ElementsAre("Can not write the file " + path));
    }
}

}  // namespace
}  // namespace zamrit
