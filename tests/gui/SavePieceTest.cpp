#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <QAction>
#include <QProgressDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/DiceGameDialog.h"
#include "midiout/MusicPlayer.h"
#include "platform/FluidSynthEngine.h"
#include "platform/HelpViewer.h"
#include "support/FileSizeLimit.h"
#include "support/RecordedReports.h"
#include "support/ShellCommand.h"

namespace zamrit {
namespace {

namespace fs = std::filesystem;

class SavePieceTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("zamrit-save-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        dialog_.SetMeasureFolders({ZAMRIT_MEASURE_DIR});
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
    HelpViewer noHelp_{{"/nonexistent-folder"}};
    DiceGameDialog dialog_{noHelp_, [] { return 31u; }};
};

// The menu item asks for a file with a name made of the form and the thrown numbers, and
// writes the piece as Play sends it: an independent reader finds every note ended and the
// track ended once, after the last note.
TEST_F(SavePieceTest, SavesThePieceWithEveryNoteEndedUnderASuggestedName) {
    testing::RecordedReports reports;
    QString suggested;
    const fs::path path = folder_ / "piece.mid";
    dialog_.SetFileChooser([&](const QString& name, const QString&) {
        suggested = name;
        return QString::fromStdString(path.string());
    });
    dialog_.SaveMidiAction().trigger();

    EXPECT_TRUE(suggested.startsWith(QStringLiteral("dance-"))) << suggested.toStdString();
    EXPECT_TRUE(suggested.endsWith(QStringLiteral(".mid")));
    EXPECT_EQ(suggested.count(QLatin1Char('-')), 24);  // the 24 bars of a Dance
    ASSERT_TRUE(fs::exists(path));
    EXPECT_TRUE(reports.Lines().empty());

    const std::string csv = testing::RunShellCommand("midicsv '" + path.string() + "'").out;
    std::map<int, int> sounding;
    int noteOns = 0;
    int endTracks = 0;
    std::istringstream lines(csv);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("End_track") != std::string::npos) ++endTracks;
        const bool on = line.find("Note_on_c") != std::string::npos;
        const bool off = line.find("Note_off_c") != std::string::npos;
        if (!on && !off) continue;
        int track, tick, channel, key, velocity;
        char type[32];
        std::sscanf(line.c_str(), "%d, %d, %31[^,], %d, %d, %d", &track, &tick, type, &channel, &key, &velocity);
        const int note = channel * 128 + key;
        if (on && velocity != 0) {
            ++sounding[note];
            ++noteOns;
        } else {
            --sounding[note];
        }
    }
    EXPECT_GT(noteOns, 24);  // at least a note in every bar
    for (const auto& [note, count] : sounding) EXPECT_EQ(count, 0) << "key " << note % 128;
    EXPECT_EQ(endTracks, 1);
}

TEST_F(SavePieceTest, AFileThatCanNotBeWrittenIsSaidAndAnExistingOneKept) {
    testing::RecordedReports reports;
    EXPECT_FALSE(dialog_.SaveAsMidi(QStringLiteral("/nonexistent-folder/piece.mid")));
    const std::vector<std::string> lines = reports.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "The MIDI file /nonexistent-folder/piece.mid could not be written: No such file or directory");

    // Cancelling the file dialog writes nothing.
    dialog_.SetFileChooser([](const QString&, const QString&) { return QString(); });
    dialog_.SaveMidiAction().trigger();
    EXPECT_TRUE(fs::is_empty(folder_));
}

// The WAV samples after the 44-byte header.
std::vector<std::int16_t> WavSamples(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples(bytes.size() > 44 ? (bytes.size() - 44) / 2 : 0);
    if (!samples.empty()) std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    return samples;
}

// "Save as WAV…" renders the whole piece, faster than real time, under a progress dialog;
// the file appears only once complete.
TEST_F(SavePieceTest, SaveAsWavRendersTheWholePiece) {
    if (FluidSynthEngine::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
    testing::RecordedReports reports;
    const fs::path path = folder_ / "piece.wav";
    int largestProgress = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* progress = dialog_.findChild<QProgressDialog*>()) largestProgress = std::max(largestProgress, progress->value());
    });
    watch.start(5);
    dialog_.SetFileChooser([&](const QString& name, const QString&) {
        EXPECT_TRUE(name.endsWith(QStringLiteral(".wav")));
        return QString::fromStdString(path.string());
    });
    dialog_.SaveWavAction().trigger();

    const std::vector<std::int16_t> samples = WavSamples(path);
    // A Dance of 24 bars of 2/4 at crotchet 132 lasts about 21.8 s, and a second of release
    // follows: at 44.1 kHz stereo, over 1.9 million samples, with sound in them.
    EXPECT_GT(samples.size(), 1'900'000u);
    int loudest = 0;
    for (std::int16_t sample : samples) loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
    EXPECT_GT(loudest, 1000);
    EXPECT_GT(largestProgress, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1) << "nothing beside the file";
    EXPECT_TRUE(MusicPlayer::Instance().IsIdle());
    EXPECT_TRUE(reports.Lines().empty());
}

// Cancelled during the render, it leaves no file at all and an existing one as it was.
TEST_F(SavePieceTest, ACancelledWavRenderLeavesNothingBehind) {
    if (FluidSynthEngine::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
    const fs::path path = folder_ / "piece.wav";
    std::ofstream(path) << "an earlier file";
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        auto* progress = dialog_.findChild<QProgressDialog*>();
        if (progress != nullptr && progress->value() > 0) progress->cancel();
    });
    canceller.start(5);
    EXPECT_FALSE(dialog_.SaveAsWav(QString::fromStdString(path.string())));
    EXPECT_TRUE(MusicPlayer::Instance().IsIdle());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1) << "nothing beside the file";
    std::ifstream kept(path);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "an earlier file");

    testing::RecordedReports reports;
    EXPECT_FALSE(dialog_.SaveAsWav(QStringLiteral("/nonexistent-folder/piece.wav")));
    const std::vector<std::string> lines = reports.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "The WAV file /nonexistent-folder/piece.wav could not be written: No such file or directory");
}

// A disk that fills up during the render: the save fails and says why, and the good file that
// was there stays; nothing is left beside it.
TEST_F(SavePieceTest, AWavRenderThatCanNotBeWrittenInFullIsSaidAndTheOldFileKept) {
    if (FluidSynthEngine::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
    const fs::path path = folder_ / "piece.wav";
    std::ofstream(path) << "an earlier file";
    testing::RecordedReports reports;
    {
        const testing::FileSizeLimit fullDisk(256 * 1024);
        EXPECT_FALSE(dialog_.SaveAsWav(QString::fromStdString(path.string())));
    }
    EXPECT_TRUE(MusicPlayer::Instance().IsIdle());
    EXPECT_EQ(reports.Lines(), (std::vector<std::string>{
                                   "MDCT07000002 Can not close Midi device!",
                                   "The WAV file " + path.string() + " could not be written: File too large"}));
    std::ifstream kept(path);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "an earlier file");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace zamrit
