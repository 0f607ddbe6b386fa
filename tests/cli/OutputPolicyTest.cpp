// What every command owes its caller whatever it is given: valid JSON for any bytes in a file
// name or path, a failed write of standard output reported as a failure, and an empty seed
// taken as the usage error it is.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include <unistd.h>

#include "support/MeasureFiles.h"
#include "support/ToolRun.h"

namespace zamrit {
namespace {

using ::testing::HasSubstr;
using testing::RunTool;

class OutputPolicyTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = std::filesystem::temp_directory_path() / ("zamrit-output-policy-" + std::to_string(::getpid()));
        ASSERT_TRUE(testing::WriteMeasureFiles(directory_, {"piece.dat"}));
        ::setenv("ZAMRIT_MIDI_OUT", "none", 1);
    }
    void TearDown() override {
        ::unsetenv("ZAMRIT_MIDI_OUT");
        std::filesystem::remove_all(directory_);
    }

    testing::ToolRun Run(const std::string& args) const { return RunTool(args, directory_.string()); }

    std::filesystem::path directory_;
};

// A name with a byte that is not UTF-8 (\377) is shown with U+FFFD in its place.
TEST_F(OutputPolicyTest, NamesThatAreNotUtf8StillGiveValidJson) {
    const std::string badName = "\"$(printf 'x y\\377.dat')\"";
    const std::string badPath = "\"no-such-folder/$(printf 'x y\\377.dat')\"";
    for (const std::string& args :
         {"midi --measures " + badName + " piece.dat", "render --measures " + badName + " -o out.wav",
          "midi piece.dat -o " + badPath, "render piece.dat -o " + badPath, "dump " + badName,
          "score " + badName + " --format ly -o out.ly", "score --measures " + badName + " --format musicxml -o out.xml",
          "score piece.dat --format ly -o " + badPath}) {
        const auto run = Run(args);
        EXPECT_EQ(run.status, 1) << args << '\n' << run.err;
        nlohmann::json json;
        ASSERT_NO_THROW(json = nlohmann::json::parse(run.out)) << args << '\n' << run.out;
        EXPECT_THAT(json.dump(), HasSubstr("x y\xEF\xBF\xBD.dat")) << args;
    }
}

TEST_F(OutputPolicyTest, AFailedWriteOfStandardOutputIsAFailure) {
    for (const std::string args : {"throw --form dance --seed 1", "midi piece.dat", "dump piece.dat",
                                   "render piece.dat -o out.wav", "score piece.dat --format ly -o out.ly"}) {
        const auto run = Run(args + " >/dev/full");
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_THAT(run.err, HasSubstr("can not write the output")) << args;
    }
}

TEST_F(OutputPolicyTest, AnEmptySeedIsAUsageError) {
    for (const std::string args : {"throw --form dance --seed ''", "midi --form dance --seed ''",
                                   "render --form minuet --seed '' -o out.wav"}) {
        EXPECT_EQ(Run(args).status, 2) << args;
    }
    EXPECT_EQ(Run("throw --form dance --seed 0").status, 0);
}

// The file could not be created: the render reports it and says that nothing was rendered.
TEST_F(OutputPolicyTest, ARenderWithoutItsFileIsNotRendered) {
    const auto run = Run("render piece.dat -o no-such-folder/out.wav");
    EXPECT_EQ(run.status, 1);
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["rendered"], false);
    EXPECT_THAT(json["reports"].dump(), HasSubstr("Can not open Midi device!"));
}

}  // namespace
}  // namespace zamrit
