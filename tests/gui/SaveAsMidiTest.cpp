#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include <QAction>
#include <gtest/gtest.h>

#include "app/DiceGameDialog.h"
#include "platform/HelpViewer.h"
#include "support/RecordedReports.h"
#include "support/ShellCommand.h"

namespace zamrit {
namespace {

namespace fs = std::filesystem;

class SaveAsMidiTest : public ::testing::Test {
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
TEST_F(SaveAsMidiTest, SavesThePieceWithEveryNoteEndedUnderASuggestedName) {
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

TEST_F(SaveAsMidiTest, AFileThatCanNotBeWrittenIsSaidAndAnExistingOneKept) {
    testing::RecordedReports reports;
    EXPECT_FALSE(dialog_.SaveAsMidi(QStringLiteral("/nonexistent-folder/piece.mid")));
    const std::vector<std::string> lines = reports.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("/nonexistent-folder/piece.mid"), std::string::npos);

    // Cancelling the file dialog writes nothing.
    dialog_.SetFileChooser([](const QString&, const QString&) { return QString(); });
    dialog_.SaveMidiAction().trigger();
    EXPECT_TRUE(fs::is_empty(folder_));
}

}  // namespace
}  // namespace zamrit
