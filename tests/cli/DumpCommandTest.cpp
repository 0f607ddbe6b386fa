#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include <unistd.h>

#include "support/ToolRun.h"
#include "tools/MFiWriter.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using testing::RunTool;
using Bytes = std::vector<std::uint8_t>;

class DumpCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("zamrit-dump-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Writes the file, dumps it and gives the parsed output and the exit status.
    nlohmann::ordered_json Dump(const MFiWriter& file, int& status, const std::string& options = "") {
        EXPECT_TRUE(file.WriteFile(dir_ / "melody.dat"));
        const auto run = RunTool("dump melody.dat " + options, dir_.string());
        status = run.status;
        return nlohmann::ordered_json::parse(run.out);
    }

    std::filesystem::path dir_;
};

TEST_F(DumpCommandTest, ShowsHeaderChunksAndEventsOfEveryAcceptedVoiceType) {
    const MFiEventWriter track = MFiEventWriter().Tempo(0, 3, 120).Note(12, 0, 10, 48, 18);
    struct Case {
        MFiWriter file;
        int voiceType, trackCount;
    };
    MFiWriter four(4);
    four.InfoText("titl", "Bar").InfoText("vers", "0200");
    for (int i = 0; i < 4; ++i) four.Track(track);
    MFiWriter five(5, "melo", 2, 1);
    five.InfoText("vers", "0200");
    for (int i = 0; i < 4; ++i) five.Track(track);
    MFiWriter cmid(0, "cmid", 2, 1);
    cmid.InfoText("vers", "0200");
    for (int i = 0; i < 4; ++i) cmid.Track(track);
    MFiWriter stream(1, "cmid", 2, 1);
    stream.InfoText("vers", "0200").Stream(track);
    const Case cases[] = {
        {MFiWriter(1).InfoText("vers", "0100").Track(MFiEventWriter().Tempo(0, 3, 120).ShortNote(12, 0, 10, 48)), 1, 1},
        {MFiWriter(252).Track(MFiEventWriter().Tempo(0, 3, 120).ShortNote(12, 0, 10, 48)), 252, 1},
        {four, 4, 4}, {five, 5, 4}, {cmid, 255, 4}, {stream, 250, 4},
    };
    for (const Case& c : cases) {
        int status = -1;
        const auto json = Dump(c.file, status);
        EXPECT_EQ(status, 0) << c.voiceType << json.dump();
        EXPECT_EQ(json["file"], "melody.dat");
        EXPECT_EQ(json["voiceType"], c.voiceType);
        EXPECT_EQ(json["trackCount"], c.trackCount);
        EXPECT_EQ(json["tracks"].size(), static_cast<std::size_t>(c.trackCount));
        EXPECT_EQ(json["reports"].size(), 0u);
        // Track 0: the tempo, then the note at twice its ticks: 96 per quarter note.
        const auto& events = json["tracks"][0]["events"];
        ASSERT_EQ(events.size(), 2u) << c.voiceType << events.dump();
        EXPECT_EQ(events[0]["code"], 37);
        EXPECT_EQ(events[0]["value"], 500000);
        EXPECT_EQ(events[1]["kind"], 16);
        EXPECT_EQ(events[1]["delta"], 24);
        EXPECT_EQ(events[1]["duration"], 96);
        EXPECT_EQ(events[1]["key"], 55);
    }

    int status = -1;
    const auto json = Dump(four, status);
    EXPECT_EQ(json["header"],
              nlohmann::ordered_json::parse(R"({"id":"melo","majorType":1,"minorType":1,"voiceType":4})"));
    EXPECT_EQ(json["info"]["parsedSize"], 9 + 10);
    EXPECT_EQ(json["info"]["chunks"]["titl"],
              nlohmann::ordered_json::parse(R"({"length":3,"data":"426172"})"));
    EXPECT_EQ(json["info"]["chunks"]["vers"]["data"], "30323030");
    EXPECT_EQ(json["tracks"][2]["index"], 2);
    EXPECT_EQ(json["tracks"][2]["id"], "trac");
    EXPECT_EQ(json["tracks"][2]["size"], 8 + 8);
    std::vector<std::string> keys;
    for (const auto& item : json.items()) keys.push_back(item.key());
    EXPECT_THAT(keys, ElementsAre("file", "voiceType", "trackCount", "header", "info", "tracks",
                                  "reports"));
}

TEST_F(DumpCommandTest, MissingFileShowsItsNameThenTheOpenError) {
    const auto run = RunTool("dump no-such-file.dat", dir_.string());
    EXPECT_EQ(run.status, 1);
    const auto json = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(json["trackCount"], 0);
    EXPECT_TRUE(json["header"].is_null());
    EXPECT_TRUE(json["info"].is_null());
    EXPECT_EQ(json["tracks"].size(), 0u);
    EXPECT_THAT(json["reports"].get<std::vector<std::string>>(),
                ElementsAre("no-such-file.dat", "GENE01000007 Cant open file!"));
    EXPECT_EQ(run.err, "no-such-file.dat\nGENE01000007 Cant open file!\n");
}

// The library's lines, then which file they came from.
TEST_F(DumpCommandTest, WrongIdAndRefusedVoiceTypesAreReportedInOrder) {
    int status = -1;
    auto json = Dump(MFiWriter(4, "MFi!"), status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(json["voiceType"], 251);
    EXPECT_EQ(json["header"]["id"], "MFi!");
    EXPECT_THAT(json["reports"].get<std::vector<std::string>>(),
                ElementsAre("MFHD21000002 MFi Voice type is wrong!",
                            "The reports above came from the file melody.dat."));

    // Bytes that are no text still give valid JSON.
    json = Dump(MFiWriter(4, "\xFF\xFE\x01m"), status);
    EXPECT_EQ(json["voiceType"], 251);

    json = Dump(MFiWriter(6, "melo", 2, 1).Track(MFiEventWriter().Note(0, 0, 1, 1, 1)), status);
    EXPECT_EQ(json["voiceType"], 6);
    EXPECT_EQ(json["trackCount"], 0);
    EXPECT_THAT(json["reports"].get<std::vector<std::string>>(),
                ElementsAre("MFDT20000003 Voice of loaded file and voice of setting does not match.",
                            "The reports above came from the file melody.dat."));
}

TEST_F(DumpCommandTest, VoiceTypeOptionIsKeptOnlyWhenTheFileNamesNone) {
    std::filesystem::path empty = dir_ / "empty.dat";
    { std::ofstream touch(empty); }
    auto run = RunTool("dump empty.dat --voice-type 5", dir_.string());
    EXPECT_EQ(run.status, 1);  // an empty file is reported
    EXPECT_EQ(nlohmann::ordered_json::parse(run.out)["voiceType"], 5);
    EXPECT_EQ(run.err, "empty.dat\nThe file is empty.\n");

    int status = -1;
    const auto json = Dump(MFiWriter(1).Track(MFiEventWriter()), status, "--voice-type 5");
    EXPECT_EQ(json["voiceType"], 1);
    EXPECT_EQ(RunTool("dump melody.dat --voice-type x", dir_.string()).status, 2);
}

// A file of thousands of bad commands: standard error has every line, the JSON the first
// thousand of them and the count of the others, after the list.
TEST_F(DumpCommandTest, TheJsonListsTheFirstThousandReportsAndCountsTheRest) {
    MFiEventWriter unknown;
    for (int command = 0; command < 1500; ++command) unknown.Command(0, 0x01, 0);
    MFiWriter file(4);
    file.InfoText("vers", "0200").Track(unknown);
    for (int track = 1; track < 4; ++track) file.Track(MFiEventWriter());
    ASSERT_TRUE(file.WriteFile(dir_ / "melody.dat"));

    const auto run = RunTool("dump melody.dat", dir_.string());
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = testing::Lines(run.err);
    ASSERT_GT(lines.size(), 1001U);
    const auto json = nlohmann::ordered_json::parse(run.out);
    ASSERT_TRUE(json["reports"].is_array());
    ASSERT_EQ(json["reports"].size(), 1000U);
    EXPECT_EQ(json["reports"].get<std::vector<std::string>>(),
              std::vector<std::string>(lines.begin(), lines.begin() + 1000));
    ASSERT_TRUE(json.contains("reportsNotListed"));
    EXPECT_EQ(json["reportsNotListed"], lines.size() - 1000);
    std::vector<std::string> keys;
    for (const auto& [key, value] : json.items()) keys.push_back(key);
    EXPECT_THAT(keys, ElementsAre("file", "voiceType", "trackCount", "header", "info", "tracks",
                                  "reports", "reportsNotListed"));
}

}  // namespace
}  // namespace zamrit
