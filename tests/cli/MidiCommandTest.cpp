#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include <unistd.h>

#include "app/MeasureOrder.h"
#include "support/ShellCommand.h"
#include "support/MeasureFiles.h"
#include "support/ToolRun.h"
#include "tools/MFiWriter.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Lines;
using testing::RunTool;

constexpr int kNoteOn = 0x90;
constexpr int kNoteOff = 0x80;

class MidiCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = std::filesystem::temp_directory_path() /
                     ("zamrit-midi-command-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory_);
    }
    void TearDown() override { std::filesystem::remove_all(directory_); }

    testing::ToolRun Run(const std::string& args) const { return RunTool(args, directory_.string()); }

    std::filesystem::path directory_;
};

struct Placed {
    int tick;
    nlohmann::json event;
};

std::vector<Placed> Placements(const nlohmann::json& events) {
    std::vector<Placed> placed;
    int tick = 0;
    for (const auto& event : events) {
        tick += event["delta"].get<int>();
        placed.push_back({tick, event});
    }
    return placed;
}

// A four-track file: track 0 sets the master volume, the tempo and a program, rests through
// its first measure and plays two touching notes from tick 400; track 2, whose second
// channel is the drum channel of the format, strikes a drum with the first note.
MFiWriter PickupFile() {
    MFiEventWriter melody;
    melody.Command(0, 0xB0, 100);  // master volume
    melody.Tempo(0, 4, 120);       // 96 ticks per quarter note
    melody.Program(0, 0, 5);
    melody.Command(200, 0xD0, 0);  // plays nothing; its time stays
    melody.Note(200, 0, 20, 48, 40);
    melody.Note(48, 0, 22, 48, 40);
    MFiEventWriter drums;
    drums.Tempo(0, 4, 120);
    drums.Command(200, 0xD0, 0);
    drums.Note(200, 1, 10, 24, 40);
    drums.Note(48, 1, 12, 24, 40);
    MFiWriter file(4);
    file.InfoText("vers", "0200").Track(melody).Track(MFiEventWriter()).Track(drums).Track(
        MFiEventWriter());
    return file;
}

TEST_F(MidiCommandTest, AFileBecomesTheReadySequence) {
    ASSERT_TRUE(PickupFile().WriteFile(directory_ / "pickup.mld"));
    const auto run = Run("midi pickup.mld");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["division"], 96);
    EXPECT_EQ(json["state"], 1);
    EXPECT_EQ(json["timeSignature"], 0);
    EXPECT_EQ(json["trimmed"], 384);
    EXPECT_THAT(json["reports"], IsEmpty());

    // The master volume ahead of the tempo; like every event of no channel, the melody's
    // four channel lists each carry it.
    const auto events = Placements(json["events"]);
    ASSERT_GE(events.size(), 5u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(events[i].event["kind"], 0xF0);
        EXPECT_EQ(events[i].event["data"], "F0077F7F04010064F7");
    }
    EXPECT_EQ(events[4].event["kind"], 0xFF);
    EXPECT_EQ(events[4].event["code"], 0x51);
    EXPECT_EQ(events[4].event["value"], 500000);

    std::vector<std::pair<int, int>> melodyNotes;  // (tick, kind) on channel 0
    int drumNotes = 0;
    for (const Placed& placed : events) {
        const int kind = placed.event["kind"];
        if (kind != kNoteOn && kind != kNoteOff) continue;
        if (placed.event["channel"] == 9) {
            drumNotes += kind == kNoteOn;
        } else {
            EXPECT_EQ(placed.event["channel"], 0);
            melodyNotes.emplace_back(placed.tick, kind);
        }
    }
    EXPECT_EQ(drumNotes, 2);
    EXPECT_THAT(melodyNotes, ElementsAre(std::pair{16, kNoteOn}, std::pair{64, kNoteOff},
                                         std::pair{64, kNoteOn}, std::pair{112, kNoteOff}));
    EXPECT_EQ(json["events"].back()["code"], 0x2F);
}

std::string RunMidicsv(const std::filesystem::path& file) {
    return testing::RunShellCommand(std::string(ZAMRIT_MIDICSV) + " '" + file.string() + "'").out;
}

// The lines midicsv prints for the events of the sequence, as the tool printed them.
std::vector<std::string> ExpectedCsv(const nlohmann::json& sequence) {
    std::vector<std::string> lines{"0, 0, Header, 0, 1, " + sequence["division"].dump(),
                                   "1, 0, Start_track"};
    int lastTick = 0;
    for (const Placed& placed : Placements(sequence["events"])) {
        lastTick = placed.tick;
        const auto& e = placed.event;
        const std::string at = "1, " + std::to_string(placed.tick) + ", ";
        const std::string channel = e["channel"].dump();
        const int kind = e["kind"];
        if (kind == kNoteOn || kind == kNoteOff) {
            lines.push_back(at + (kind == kNoteOn ? "Note_on_c, " : "Note_off_c, ") + channel +
                            ", " + e["key"].dump() + ", " + e["velocity"].dump());
        } else if (kind == 0xC0) {
            lines.push_back(at + "Program_c, " + channel + ", " + e["value"].dump());
        } else if (kind == 0xB0) {
            lines.push_back(at + "Control_c, " + channel + ", " + e["code"].dump() + ", " +
                            e["value"].dump());
        } else if (kind == 0xF0) {
            const std::string hex = e["data"];
            std::string line = at + "System_exclusive, " + std::to_string(hex.size() / 2 - 2);
            for (std::size_t i = 4; i < hex.size(); i += 2) {
                line += ", " + std::to_string(std::stoi(hex.substr(i, 2), nullptr, 16));
            }
            lines.push_back(line);
        } else if (kind == 0xFF && e["code"] == 0x51) {
            lines.push_back(at + "Tempo, " + e["value"].dump());
        } else if (kind == 0xFF && e["code"] == 0x2F) {
            continue;  // the file's track ends once, after the last event
        } else {
            lines.push_back(at + "unexpected kind " + std::to_string(kind));
        }
    }
    lines.push_back("1, " + std::to_string(lastTick) + ", End_track");
    lines.push_back("0, 0, End_of_file");
    return lines;
}

TEST_F(MidiCommandTest, TheWrittenFileHoldsTheSameEventsAtTheSameTimes) {
    const std::vector<std::string> names{"MN_04_01.dat", "MN_09_02.dat", "MN_07_03.dat"};
    ASSERT_TRUE(testing::WriteMeasureFiles(directory_, names));
    ASSERT_TRUE(PickupFile().WriteFile(directory_ / "pickup.mld"));
    for (const std::string source : {"--measures MN_04_01.dat MN_09_02.dat MN_07_03.dat",
                                     "pickup.mld"}) {
        const auto run = Run("midi " + source + " -o out.mid");
        ASSERT_EQ(run.status, 0) << run.err;
        const auto json = nlohmann::json::parse(run.out);
        EXPECT_EQ(Lines(RunMidicsv(directory_ / "out.mid")), ExpectedCsv(json)) << source;
    }
}

// A whole thrown piece read back by an independent reader: every note-on has its note-off,
// the track ends once and the file lasts as long as the sequence.
TEST_F(MidiCommandTest, TheWrittenPieceKeepsEveryNoteOffAndItsWholeLength) {
    ASSERT_TRUE(testing::WriteMeasureFiles(directory_, AllMeasureFileNames()));
    for (const std::string form : {"minuet", "dance"}) {
        const auto run = Run("midi --form " + form + " --seed 11 -o out.mid");
        ASSERT_EQ(run.status, 0) << run.err;
        const auto json = nlohmann::json::parse(run.out);
        const int sequenceLength = Placements(json["events"]).back().tick;

        std::map<std::pair<int, int>, int> sounding;  // (channel, key) -> note-ons not yet off
        int noteOns = 0;
        int endTracks = 0;
        int endTick = -1;
        for (const std::string& line : Lines(RunMidicsv(directory_ / "out.mid"))) {
            std::istringstream fields(line);
            std::string track, tick, type, channel, key, velocity;
            std::getline(fields, track, ',');
            std::getline(fields, tick, ',');
            std::getline(fields, type, ',');
            fields >> channel >> key >> velocity;
            if (type == " End_track") {
                ++endTracks;
                endTick = std::stoi(tick);
            }
            if (type != " Note_on_c" && type != " Note_off_c") continue;
            const auto note = std::pair{std::stoi(channel), std::stoi(key)};
            if (type == " Note_on_c" && std::stoi(velocity) != 0) {
                ++sounding[note];
                ++noteOns;
            } else {
                --sounding[note];
            }
        }
        EXPECT_EQ(noteOns, 9 * (form == "minuet" ? 32 : 24)) << form;
        for (const auto& [note, count] : sounding) EXPECT_EQ(count, 0) << form << " key " << note.second;
        EXPECT_EQ(endTracks, 1) << form;
        EXPECT_EQ(endTick, sequenceLength) << form;
    }
}

TEST_F(MidiCommandTest, AThrownPieceIsTheSameAsItsMeasuresNamed) {
    ASSERT_TRUE(testing::WriteMeasureFiles(directory_, AllMeasureFileNames()));
    for (const std::string form : {"minuet", "dance"}) {
        const auto thrown = nlohmann::json::parse(RunTool("throw --form " + form + " --seed 3").out);
        std::string files;
        for (const auto& name : thrown["files"]) files += " " + name.get<std::string>();

        const auto byForm = Run("midi --form " + form + " --seed 3");
        const auto byNames = Run("midi --measures" + files);
        ASSERT_EQ(byForm.status, 0) << byForm.err;
        EXPECT_EQ(byForm.out, byNames.out);
        const auto json = nlohmann::json::parse(byForm.out);
        // Each measure holds nine notes.
        int notes = 0;
        for (const auto& event : json["events"]) notes += event["kind"] == kNoteOn;
        EXPECT_EQ(notes, 9 * static_cast<int>(thrown["files"].size())) << form;
    }
}

TEST_F(MidiCommandTest, StartAndEndCutTheRange) {
    ASSERT_TRUE(testing::WriteMeasureFiles(directory_, {"MN_02_01.dat", "MN_02_02.dat"}));
    // The second measure's notes lie from tick 336 on; the range keeps its first two eighths.
    const auto run = Run("midi --measures MN_02_01.dat MN_02_02.dat --start 336 --end 432");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    std::vector<std::pair<int, int>> noteOns;
    for (const Placed& placed : Placements(json["events"])) {
        if (placed.event["kind"] == kNoteOn) noteOns.emplace_back(placed.tick, placed.event["channel"]);
    }
    EXPECT_THAT(noteOns, ElementsAre(std::pair{0, 0}, std::pair{0, 1}, std::pair{48, 0}));
}

TEST_F(MidiCommandTest, AMissingFileIsReportedAndTheOutputStaysWhole) {
    const auto run = Run("midi --measures nothing-here.dat");
    EXPECT_EQ(run.status, 1);
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_THAT(json["reports"], ElementsAre("nothing-here.dat", "GENE01000007 Cant open file!"));
    EXPECT_EQ(json["state"], 1);
}

// A measure file of no byte is reported with its name; it does not pass as a silent bar.
TEST_F(MidiCommandTest, AnEmptyMeasureFileIsReportedWithItsName) {
    ASSERT_TRUE(testing::WriteMeasureFiles(directory_, {"MN_02_01.dat"}));
    std::ofstream{directory_ / "MN_07_01.dat"};
    const auto run = Run("midi --measures MN_02_01.dat MN_07_01.dat");
    EXPECT_EQ(run.status, 1);
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_THAT(json["reports"], ElementsAre("MN_07_01.dat", "The file is empty."));
    EXPECT_EQ(run.err, "MN_07_01.dat\nThe file is empty.\n");
}

TEST_F(MidiCommandTest, AFileThatCanNotBeWrittenIsReported) {
    ASSERT_TRUE(testing::WriteMeasureFiles(directory_, {"MN_02_01.dat"}));
    const auto run = Run("midi --measures MN_02_01.dat -o no-such-folder/out.mid");
    EXPECT_EQ(run.status, 1);
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_THAT(json["reports"],
                ElementsAre("Can not write the file no-such-folder/out.mid: No such file or directory"));
    EXPECT_FALSE(json["events"].empty());
}

// A disk that fills up while the new file is written: the file that was there stays whole,
// and nothing is left beside it.
TEST_F(MidiCommandTest, AWriteThatFailsHalfWayKeepsTheEarlierFile) {
    ASSERT_TRUE(testing::WriteMeasureFiles(directory_, {"MN_02_01.dat"}));
    { std::ofstream(directory_ / "out.mid") << "the earlier file"; }
    std::string measures;
    for (int i = 0; i < 200; ++i) measures += " MN_02_01.dat";
    const auto run = testing::RunShellCommand("cd '" + directory_.string() + "' && (trap '' XFSZ; ulimit -f 1; " +
                                              ZAMRIT_DICE + " midi -o out.mid --measures" + measures + " 2>/dev/null)");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(nlohmann::json::parse(run.out)["reports"],
                ElementsAre("Can not write the file out.mid: File too large"));
    std::ifstream kept(directory_ / "out.mid");
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "the earlier file");
    for (const auto& entry : std::filesystem::directory_iterator(directory_)) {
        EXPECT_EQ(entry.path().filename().string().find("out.mid."), std::string::npos) << entry.path();
    }
}

TEST_F(MidiCommandTest, ThePieceMustBeGivenOnce) {
    for (const std::string args : {"midi", "midi a.dat --measures b.dat", "midi --form dance a.dat",
                                   "midi a.dat --seed 4", "midi --form waltz"}) {
        EXPECT_EQ(Run(args).status, 2) << args;
    }
}

}  // namespace
}  // namespace zamrit
