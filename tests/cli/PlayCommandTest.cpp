#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include <unistd.h>

#include "support/MeasureFiles.h"
#include "support/ShellCommand.h"
#include "support/ToolRun.h"

namespace zamrit {
namespace {

using testing::RunTool;

// One measure of the test fixtures, played and rendered by the command-line tool.
class PlayCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = std::filesystem::temp_directory_path() / ("zamrit-play-command-" + std::to_string(::getpid()));
        ASSERT_TRUE(testing::WriteMeasureFiles(directory_, {"piece.dat"}));
    }
    void TearDown() override {
        ::unsetenv("ZAMRIT_MIDI_OUT");
        std::filesystem::remove_all(directory_);
    }

    testing::ToolRun Run(const std::string& args, const std::string& midiOut) const {
        ::setenv("ZAMRIT_MIDI_OUT", midiOut.c_str(), 1);
        return RunTool(args, directory_.string());
    }

    std::vector<std::string> ReadLines(const std::string& name) const {
        std::ifstream in(directory_ / name);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line.substr(line.find(' ') + 1));
        return lines;
    }

    std::filesystem::path directory_;
};

TEST_F(PlayCommandTest, PlaysOnTheMapperAndEndsAfterTheCompletion) {
    const auto run = Run("play piece.dat", "log:play.log");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("finished"), std::string::npos) << run.err;
    const auto sent = ReadLines("play.log");
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(sent.front(), "F0 7E 7F 09 01 F7");
    EXPECT_EQ(std::vector<std::string>(sent.end() - 2, sent.end()), (std::vector<std::string>{"reset", "close"}));
    // Every note-on of the measure has its note-off before the reset.
    int sounding = 0;
    for (const auto& message : sent) {
        if (message[0] == '9') ++sounding;
        if (message[0] == '8') --sounding;
    }
    EXPECT_EQ(sounding, 0);
}

TEST_F(PlayCommandTest, NoDeviceIsReportedAndEndsAtOnce) {
    const auto run = Run("play piece.dat", "none");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("MDCT07000001 Can not open Midi device!"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("finished"), std::string::npos) << run.err;
}

TEST_F(PlayCommandTest, RendersTheMeasureIntoAWavFile) {
    const auto run = Run("render piece.dat -o piece.wav", "none");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto summary = nlohmann::json::parse(run.out);
    EXPECT_EQ(summary["output"], "piece.wav");
    EXPECT_EQ(summary["rendered"], true);
    EXPECT_TRUE(summary["reports"].empty());

    std::ifstream file(directory_ / "piece.wav", std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    std::vector<std::int16_t> samples((bytes.size() - 44) / 2);
    std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    const double seconds = summary["seconds"];
    EXPECT_NEAR(static_cast<double>(samples.size()) / 2 / 44100, seconds, 0.01);
    double sum = 0;
    for (const std::int16_t sample : samples) sum += static_cast<double>(sample) * sample;
    EXPECT_GT(std::sqrt(sum / static_cast<double>(samples.size())), 100.0);
}

// The font of a render: --sound-font over ZAMRIT_SOUNDFONT over the best one installed, named
// in the summary as the file it is; a font that is not there is said, and nothing is rendered
// with another.
TEST_F(PlayCommandTest, RenderPlaysTheFontChosenAndSaysAMissingOne) {
    const std::string small = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    if (!std::filesystem::exists(small)) GTEST_SKIP() << small << " is not installed";
    std::filesystem::create_symlink(small, directory_ / "linked.sf2");
    const std::string missing = (directory_ / "missing.sf2").string();
    const struct {
        std::string variable;  // ZAMRIT_SOUNDFONT, "" for unset
        std::string option;
        nlohmann::json soundFont;
        std::vector<std::string> reports;
    } cases[] = {
        {"", "linked.sf2", small, {}},
        {missing, "linked.sf2", small, {}},
        {"linked.sf2", "", small, {}},
        {"", missing, nullptr,
         {"MDCT07000001 Can not open Midi device!", "The SoundFont " + missing + " (--sound-font) does not exist."}},
        {missing, "", nullptr,
         {"MDCT07000001 Can not open Midi device!",
          "The SoundFont " + missing + " (ZAMRIT_SOUNDFONT=" + missing + ") does not exist."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variable + " / " + c.option);
        if (c.variable.empty()) ::unsetenv("ZAMRIT_SOUNDFONT");
        else ::setenv("ZAMRIT_SOUNDFONT", c.variable.c_str(), 1);
        const auto run = Run("render piece.dat -o piece.wav" + (c.option.empty() ? "" : " --sound-font " + c.option), "none");
        ::unsetenv("ZAMRIT_SOUNDFONT");
        const auto summary = nlohmann::json::parse(run.out);
        EXPECT_EQ(summary["soundFont"], c.soundFont);
        EXPECT_EQ(summary["rendered"], c.soundFont != nullptr);
        EXPECT_EQ(summary["reports"], c.reports);
    }
}

// Starts the tool in the background, sends it `signal` once `ready` (a shell test) holds,
// and gives its exit status; standard output goes to out.json.
int RunUntilSignal(const std::filesystem::path& directory, const std::string& args,
                   const std::string& ready, const std::string& signal) {
    const std::string script = "cd '" + directory.string() + "' && { " + std::string(ZAMRIT_DICE) + " " + args +
                               " >out.json 2>err.txt & pid=$!; i=0; while ! " + ready +
                               " && [ $i -lt 300 ]; do sleep 0.05; i=$((i+1)); done; kill -" + signal +
                               " $pid; wait $pid; echo $?; }";
    return std::stoi(testing::RunShellCommand(script).out);
}

std::string Repeated(const std::string& word, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += " " + word;
    return text;
}

// A stop signal ends the playback through the player: the device is reset and closed and
// every line sent reaches the log before the tool exits with 128 + the signal's number.
TEST_F(PlayCommandTest, StopSignalsEndThePlaybackCleanly) {
    const struct {
        std::string signal;
        int status;
    } cases[] = {{"INT", 130}, {"TERM", 143}, {"HUP", 129}};
    // Started under nohup the tool rightly goes on ignoring a hang-up, and children inherit
    // that: the tool is started here with the default disposition, as from a terminal.
    struct DefaultHangUp {
        DefaultHangUp() { previous = std::signal(SIGHUP, SIG_DFL); }
        ~DefaultHangUp() { std::signal(SIGHUP, previous); }
        void (*previous)(int);
    } defaultHangUp;
    for (const auto& stop : cases) {
        ::setenv("ZAMRIT_MIDI_OUT", "log:play.log", 1);
        const int status = RunUntilSignal(directory_, "play --measures" + Repeated("piece.dat", 20),
                                          "grep -qs 's, event' err.txt", stop.signal);
        EXPECT_EQ(status, stop.status) << stop.signal;
        const auto sent = ReadLines("play.log");
        ASSERT_GE(sent.size(), 3u) << stop.signal;
        EXPECT_EQ(sent.front(), "F0 7E 7F 09 01 F7");
        EXPECT_EQ(std::vector<std::string>(sent.end() - 2, sent.end()), (std::vector<std::string>{"reset", "close"}))
            << stop.signal;
    }
}

// A render stopped by a signal leaves a valid, shorter WAV file: its header counts exactly
// the samples that follow it, and the summary says what stopped it.
TEST_F(PlayCommandTest, AStoppedRenderLeavesAValidShorterWavFile) {
    ::setenv("ZAMRIT_MIDI_OUT", "none", 1);
    const int status = RunUntilSignal(directory_, "render -o piece.wav --measures" + Repeated("piece.dat", 400),
                                      "[ $(cat piece.wav* 2>/dev/null | wc -c) -gt 2000000 ]", "TERM");
    EXPECT_EQ(status, 143);
    std::ifstream out(directory_ / "out.json");
    const auto summary = nlohmann::json::parse(out);
    EXPECT_EQ(summary["rendered"], false);
    EXPECT_EQ(summary["stoppedBy"], "SIGTERM");

    std::ifstream file(directory_ / "piece.wav", std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 2000044u);
    const auto little32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
        return value;
    };
    EXPECT_EQ(little32(4), bytes.size() - 8);
    EXPECT_EQ(little32(40), bytes.size() - 44);
    const double seconds = summary["seconds"];
    EXPECT_NEAR(static_cast<double>(bytes.size() - 44) / 4 / 44100, seconds, 0.05);
}

// A WAV file that can not be made or written in full is no render: the summary says so, the
// device's report is followed by which file and why, and a file that was there stays.
TEST_F(PlayCommandTest, ARenderThatCanNotBeWrittenIsReportedAndTheOldFileStays) {
    { std::ofstream(directory_ / "piece.wav") << "an earlier file"; }
    const struct {
        std::string output;
        std::string limit;  // the shell's ulimit -f, in KiB
        std::vector<std::string> reports;
    } cases[] = {
        {"missing/x.wav", "unlimited",
         {"MDCT07000001 Can not open Midi device!",
          "The WAV file missing/x.wav can not be written: No such file or directory"}},
        {"/dev/full", "unlimited",
         {"MDCT07000001 Can not open Midi device!",
          "The WAV file /dev/full can not be written: No space left on device"}},
        {"piece.wav", "64",
         {"MDCT07000002 Can not close Midi device!", "The WAV file piece.wav could not be written: File too large"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        const auto run = testing::RunShellCommand("cd '" + directory_.string() + "' && (trap '' XFSZ; ulimit -f " +
                                                  c.limit + "; ZAMRIT_MIDI_OUT=none " + ZAMRIT_DICE +
                                                  " render -o " + c.output + " --measures" +
                                                  Repeated("piece.dat", 3) + " 2>/dev/null)");
        EXPECT_EQ(run.status, 1);
        const auto summary = nlohmann::json::parse(run.out);
        EXPECT_EQ(summary["rendered"], false);
        EXPECT_EQ(summary["reports"], c.reports);
    }
    std::ifstream kept(directory_ / "piece.wav");
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "an earlier file");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"piece.dat", "piece.wav"}));
}

// A file output that fills the disk while the piece plays says which file and why after the
// device's report, at the end of the piece.
TEST_F(PlayCommandTest, AFullDiskUnderPlayIsExplainedAfterTheDevicesReport) {
    const struct {
        std::string output;
        std::string limit;  // the shell's ulimit -f, in KiB
        std::string explanation;
    } cases[] = {
        {"wav:out.wav", "4", "The WAV file out.wav could not be written: File too large"},
        {"log:/dev/full", "unlimited", "The log file /dev/full could not be written: No space left on device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        const auto run = testing::RunShellCommand("cd '" + directory_.string() + "' && (trap '' XFSZ; ulimit -f " +
                                                  c.limit + "; ZAMRIT_MIDI_OUT=" + c.output + " " + ZAMRIT_DICE +
                                                  " play piece.dat 2>&1 >/dev/null)");
        EXPECT_NE(run.out.find("MDCT07000002 Can not close Midi device!\n" + c.explanation), std::string::npos)
            << run.out;
    }
}

TEST_F(PlayCommandTest, SourceIsRequired) {
    EXPECT_EQ(Run("play", "none").status, 2);
    EXPECT_EQ(Run("render piece.dat", "none").status, 2);
}

}  // namespace
}  // namespace zamrit
