#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "app/DiceGameDialog.h"
#include "app/PlaybackHandoff.h"
#include "melody/MobileData.h"
#include "midiout/MusicPlayer.h"
#include "platform/HelpViewer.h"
#include "support/RecordedReports.h"
#include "support/ScopedWorkingFolder.h"

namespace zamrit {
namespace {

namespace fs = std::filesystem;

// The game as it is run: in the build's folder of generated measure files.
class WholePieceTest : public ::testing::Test {
protected:
    void SetUp() override {
        output_ = fs::temp_directory_path() / ("zamrit-whole-" + std::to_string(::getpid()));
    }
    void TearDown() override { fs::remove(output_); }

    void StartDialog() {
        dialog_ = std::make_unique<DiceGameDialog>(noHelp_, [] { return 2026u; });
        dialog_->show();
    }
    QPushButton& PlayButton() { return *qobject_cast<QPushButton*>(dialog_->Item(DiceGameDialog::kPlayId)); }

    testing::ScopedWorkingFolder inMeasures_{ZAMRIT_MEASURE_DIR};
    fs::path output_;
    HelpViewer noHelp_{{"/nonexistent-folder"}};
    std::unique_ptr<DiceGameDialog> dialog_;
};

std::vector<std::string> ReadLines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int NoteOnCount(const std::vector<std::string>& lines) {
    int count = 0;
    for (const std::string& line : lines) {
        const auto status = line.find(' ') + 1;
        if (line.compare(status, 1, "9") == 0 && line.compare(line.size() - 2, 2, "00") != 0) ++count;
    }
    return count;
}

TEST_F(WholePieceTest, ClosingTheWindowDuringPlaybackStopsItAndClosesTheDevice) {
    setenv("ZAMRIT_MIDI_OUT", ("log:" + output_.string()).c_str(), 1);
    testing::RecordedReports reports;
    StartDialog();
    QTest::mouseClick(&PlayButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(MusicPlayer::Instance().HasPlayer() != 0, 10000);
    QTest::qWait(1000);  // a few bars in

    dialog_->reject();  // what Escape and the close box do
    EXPECT_TRUE(MusicPlayer::Instance().IsIdle());
    const std::vector<std::string> lines = ReadLines(output_);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().substr(lines.back().find(' ') + 1), "close");
    EXPECT_GT(NoteOnCount(lines), 0);
    EXPECT_LT(NoteOnCount(lines), 100);  // a whole Dance has about 150 notes
    EXPECT_EQ(PlaybackHandoff::Instance().TakeMelody(), nullptr);
    dialog_.reset();
    EXPECT_TRUE(reports.Lines().empty());
}

// The samples of a 16-bit PCM WAV file after its "data" chunk head.
std::vector<std::int16_t> WavSamples(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string data = "data";
    auto found = std::search(bytes.begin(), bytes.end(), data.begin(), data.end());
    std::vector<std::int16_t> samples;
    if (found == bytes.end()) return samples;
    for (auto at = found + 8; at + 1 < bytes.end(); at += 2) {
        samples.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(at[0]) |
                                                    (static_cast<std::uint8_t>(at[1]) << 8)));
    }
    return samples;
}

TEST_F(WholePieceTest, AWholeThrownDancePlaysThroughThePlayButtonIntoAWavWithSound) {
    setenv("ZAMRIT_MIDI_OUT", ("wav:" + output_.string()).c_str(), 1);
    testing::RecordedReports reports;
    StartDialog();
    QTest::mouseClick(&PlayButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(PlayButton().isEnabled(), 60000);
    MusicPlayer::Instance().WaitUntilIdle();

    const std::vector<std::int16_t> samples = WavSamples(output_);
    // 24 bars of 2/4 at crotchet 132 last 21.8 s: at 44.1 kHz stereo, over 1.9 million samples.
    EXPECT_GT(samples.size(), 1'900'000u);
    int loudest = 0;
    for (std::int16_t sample : samples) loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
    EXPECT_GT(loudest, 1000);
    EXPECT_TRUE(reports.Lines().empty());
}

}  // namespace
}  // namespace zamrit
