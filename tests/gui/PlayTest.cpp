#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/DiceGameDialog.h"
#include "app/ScoreWindow.h"
#include "app/MeasureOrder.h"
#include "app/PlaybackHandoff.h"
#include "melody/MobileData.h"
#include "midiout/MusicPlayer.h"
#include "midiout/SequencerState.h"
#include "platform/GuiMessageSink.h"
#include "platform/HelpViewer.h"
#include "platform/MessageSink.h"
#include "score/LilyPondProgram.h"
#include "support/RecordedReports.h"
#include "tools/MFiWriter.h"

namespace zamrit {
namespace {

namespace fs = std::filesystem;
constexpr std::uint32_t kSeed = 777;

// The MIDI key a fixture measure plays: one note per file, telling part and sum apart.
int FixtureKey(const std::string& name) {
    const int sum = std::stoi(name.substr(3, 2));
    return 45 + sum + (name.starts_with("DB") ? 16 : 0);
}

// Short Dance measures: one note of 3 ticks, the bar 4 ticks long at 96 ticks per quarter and
// 250 beats per minute, so a whole piece lasts a quarter of a second.
void WriteShortDanceMeasures(const fs::path& folder) {
    fs::create_directories(folder);
    for (const std::string& name : AllMeasureFileNames()) {
        if (!name.starts_with("DA") && !name.starts_with("DB")) continue;
        MFiEventWriter events;
        events.Tempo(0, 4, 250).Note(0, 0, static_cast<std::uint8_t>(FixtureKey(name) - 45), 3, 40).Command(4, 0xDF, 0);
        MFiWriter file(4);
        file.InfoText("vers", "0200").Track(events);
        for (int empty = 1; empty < 4; ++empty) file.Track(MFiEventWriter());
        ASSERT_TRUE(file.WriteFile(folder / name));
    }
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The keys of the note-ons in a MIDI log ("1523 90 3C 64").
std::vector<int> NoteOnKeys(const fs::path& log) {
    std::vector<int> keys;
    for (const std::string& line : ReadLines(log)) {
        std::istringstream fields(line);
        std::string time, status, key, velocity;
        fields >> time >> status >> key >> velocity;
        if (status.size() == 2 && status[0] == '9' && !velocity.empty() && velocity != "00") {
            keys.push_back(std::stoi(key, nullptr, 16));
        }
    }
    return keys;
}

class PlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("zamrit-play-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        WriteShortDanceMeasures(folder_);
        previousFolder_ = fs::current_path();
        fs::current_path(folder_);
        log_ = folder_ / "midi.log";
        setenv("ZAMRIT_MIDI_OUT", ("log:" + log_.string()).c_str(), 1);
        dialog_ = std::make_unique<DiceGameDialog>(noHelp_, [] { return kSeed; });
        dialog_->show();
    }
    void TearDown() override {
        dialog_.reset();
        fs::current_path(previousFolder_);
        fs::remove_all(folder_);
    }

    QPushButton& Button(int id) { return *qobject_cast<QPushButton*>(dialog_->Item(id)); }
    std::vector<int> ExpectedKeys() const {
        std::vector<int> keys;
        for (const std::string& name : MeasureOrder(PieceForm::Dance, dialog_->Dice())) {
            if (fs::exists(folder_ / name)) keys.push_back(FixtureKey(name));
        }
        return keys;
    }
    QStringList SumLabels() const {
        QStringList texts;
        for (int id : DiceState::kSumLabelIds) texts << qobject_cast<QLabel*>(dialog_->Item(id))->text();
        return texts;
    }

    fs::path folder_;
    fs::path previousFolder_;
    fs::path log_;
    HelpViewer noHelp_{{"/nonexistent-folder"}};
    std::unique_ptr<DiceGameDialog> dialog_;
};

TEST_F(PlayTest, PlayIsDisabledUntilAfterThePieceAndCreateMeanwhileChangesOnlyTheNumbers) {
    testing::RecordedReports reports;
    const std::vector<int> expected = ExpectedKeys();
    const QStringList labelsAtPress = SumLabels();

    QTest::mouseClick(&Button(DiceGameDialog::kPlayId), Qt::LeftButton);
    EXPECT_FALSE(Button(DiceGameDialog::kPlayId).isEnabled());
    QTest::mouseClick(&Button(DiceGameDialog::kCreateId), Qt::LeftButton);
    EXPECT_NE(SumLabels(), labelsAtPress);
    EXPECT_TRUE(Button(DiceGameDialog::kCreateId).isEnabled());

    // The completion pauses 2 s on the worker thread before Play comes back.
    QTRY_VERIFY_WITH_TIMEOUT(Button(DiceGameDialog::kPlayId).isEnabled(), 15000);
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_EQ(NoteOnKeys(log_), expected);  // the piece of the press, not of the new throw
    EXPECT_EQ(expected.size(), 24u);
    EXPECT_EQ(ReadLines(log_).back().substr(ReadLines(log_).back().find(' ') + 1), "close");
    EXPECT_EQ(PlaybackHandoff::Instance().TakeMelody(), nullptr);  // the completion destroyed it
    EXPECT_TRUE(reports.Lines().empty());
}

// A press of Play while the instruments load says so where the explanation stands, and the
// explanation comes back once they are there; a press when they are ready changes nothing.
TEST_F(PlayTest, PlayWhileTheInstrumentsLoadShowsItUntilTheyAreThere) {
    testing::RecordedReports reports;
    auto& explanation = *qobject_cast<QLabel*>(dialog_->Item(DiceGameDialog::kExplanationId));
    const QString explained = explanation.text();
    std::atomic<bool> loading{true};
    dialog_->SetInstrumentsLoading([&loading] { return loading.load(); });

    QTest::mouseClick(&Button(DiceGameDialog::kPlayId), Qt::LeftButton);
    EXPECT_EQ(explanation.text(), QStringLiteral("Loading instruments…"));
    QTest::qWait(200);
    EXPECT_EQ(explanation.text(), QStringLiteral("Loading instruments…"));
    loading = false;
    QTRY_COMPARE_WITH_TIMEOUT(explanation.text(), explained, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(Button(DiceGameDialog::kPlayId).isEnabled(), 15000);
    MusicPlayer::Instance().WaitUntilIdle();

    QTest::mouseClick(&Button(DiceGameDialog::kPlayId), Qt::LeftButton);
    EXPECT_EQ(explanation.text(), explained);
    QTRY_VERIFY_WITH_TIMEOUT(Button(DiceGameDialog::kPlayId).isEnabled(), 15000);
    MusicPlayer::Instance().WaitUntilIdle();
    EXPECT_TRUE(reports.Lines().empty());
}

TEST_F(PlayTest, AMissingMeasureIsReportedAndTheRestOfThePiecePlays) {
    const std::string missing = MeasureOrder(PieceForm::Dance, dialog_->Dice())[17];
    fs::remove(folder_ / missing);
    const std::vector<int> expected = ExpectedKeys();
    testing::RecordedReports reports;

    QTest::mouseClick(&Button(DiceGameDialog::kPlayId), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(Button(DiceGameDialog::kPlayId).isEnabled(), 15000);
    MusicPlayer::Instance().WaitUntilIdle();

    EXPECT_EQ(reports.Lines(), (std::vector<std::string>{missing, "GENE01000007 Cant open file!"}));
    EXPECT_EQ(expected.size(), 23u);
    EXPECT_EQ(NoteOnKeys(log_), expected);
}

// While the piece plays, the label of the bar being heard is highlighted, bar after bar in
// playing order (the Dance's second time through lights bars 9-16), driven by the notes the
// player sends; a new throw meanwhile changes nothing of it; the highlight goes at the end.
TEST_F(PlayTest, TheBarHeardIsHighlightedInStepWithThePlayer) {
    std::vector<int> highlighted;
    std::vector<bool> labelShowsIt;
    dialog_->SetNowPlayingListener([&](int bar) {
        highlighted.push_back(bar);
        if (bar != DiceGameDialog::kNoBar) {
            auto* label = qobject_cast<QLabel*>(dialog_->Item(DiceGameDialog::kBarLabelIds[bar - 1]));
            labelShowsIt.push_back(label->backgroundRole() == QPalette::Highlight && label->autoFillBackground());
        }
    });
    QTest::mouseClick(&Button(DiceGameDialog::kPlayId), Qt::LeftButton);
    QTest::mouseClick(&Button(DiceGameDialog::kCreateId), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(Button(DiceGameDialog::kPlayId).isEnabled(), 15000);
    MusicPlayer::Instance().WaitUntilIdle();

    std::vector<int> expected;
    for (int bar = 1; bar <= 24; ++bar) expected.push_back(bar);
    expected.push_back(DiceGameDialog::kNoBar);
    EXPECT_EQ(highlighted, expected);
    EXPECT_EQ(labelShowsIt, std::vector<bool>(24, true));
    EXPECT_EQ(dialog_->NowPlayingBar(), DiceGameDialog::kNoBar);
    for (int id : DiceGameDialog::kBarLabelIds) {
        EXPECT_NE(qobject_cast<QLabel*>(dialog_->Item(id))->backgroundRole(), QPalette::Highlight) << id;
    }
}

// The score window follows the same progress: it marks the bar being heard on the engraved
// page, keeps it in view however small the window and large the zoom, names it, and clears
// it at the end. The second time through the first part marks its written bars again.
TEST_F(PlayTest, TheScoreWindowFollowsTheBarHeard) {
    dialog_->OnScore();
    ScoreWindow* score = dialog_->Score();
    ASSERT_NE(score, nullptr);
    const bool engraved = score::LilyPondProgram::Find().has_value();
    if (engraved) {
        QTRY_VERIFY_WITH_TIMEOUT(score->CurrentState() == ScoreWindow::State::Shown, 120000);
        score->resize(320, 240);
        score->SetZoom(2.0);
    }
    auto* scroll = score->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);

    struct Seen {
        int bar;
        QRect marked;
        bool inView;
    };
    std::vector<Seen> seen;
    dialog_->SetNowPlayingListener([&](int) {
        const QRect marked = score->MarkedArea();
        const QWidget* page = scroll->widget();
        const QRect view(-page->x(), -page->y(), scroll->viewport()->width(), scroll->viewport()->height());
        seen.push_back({score->HighlightedBar(), marked, view.contains(marked.center())});
    });
    QTest::mouseClick(&Button(DiceGameDialog::kPlayId), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(Button(DiceGameDialog::kPlayId).isEnabled(), 15000);
    MusicPlayer::Instance().WaitUntilIdle();

    ASSERT_EQ(seen.size(), 25u);
    for (int bar = 1; bar <= 24; ++bar) EXPECT_EQ(seen[bar - 1].bar, bar);
    EXPECT_EQ(seen.back().bar, 0);
    EXPECT_TRUE(seen.back().marked.isEmpty());
    EXPECT_FALSE(score->StatusText().contains(QStringLiteral("Playing")));
    if (!engraved) return;

    const QRect page = scroll->widget()->rect();
    for (const Seen& at : seen) {
        if (at.bar == 0) continue;
        EXPECT_FALSE(at.marked.isEmpty()) << at.bar;
        EXPECT_TRUE(page.contains(at.marked)) << at.bar;
        EXPECT_TRUE(at.inView) << at.bar;
    }
    for (int bar = 9; bar <= 16; ++bar) EXPECT_EQ(seen[bar - 1].marked, seen[bar - 9].marked) << bar;
    // The written bars are marked in order: along a system, then on down the page.
    std::vector<int> written;
    for (int bar = 1; bar <= 8; ++bar) written.push_back(bar);
    for (int bar = 17; bar <= 24; ++bar) written.push_back(bar);
    for (std::size_t i = 1; i < written.size(); ++i) {
        const QRect before = seen[written[i - 1] - 1].marked;
        const QRect after = seen[written[i] - 1].marked;
        EXPECT_TRUE(after.left() >= before.right() || after.top() >= before.bottom()) << written[i];
    }
}

// In the pause after the end of the piece (2 s before Play comes back), closing the window
// ends the pause instead of waiting it out.
TEST_F(PlayTest, ClosingInThePauseAfterThePieceEndsThePause) {
    QTest::mouseClick(&Button(DiceGameDialog::kPlayId), Qt::LeftButton);
    // The player exists but its chain of firings has ended: the completion is pausing.
    QTRY_VERIFY_WITH_TIMEOUT(MusicPlayer::Instance().HasPlayer() != 0 && Sequencer().playing == 0, 15000);
    QTest::qWait(100);
    ASSERT_FALSE(MusicPlayer::Instance().IsIdle());
    const auto closing = std::chrono::steady_clock::now();
    dialog_->reject();
    const auto closed = std::chrono::steady_clock::now();
    EXPECT_TRUE(MusicPlayer::Instance().IsIdle());
    EXPECT_LT(closed - closing, std::chrono::milliseconds(1000));  // the pause alone is 2000
    EXPECT_EQ(NoteOnKeys(log_), ExpectedKeys());  // the whole piece was heard before
}

// Measure files with a few bad commands each raise a report for every one of them: the press
// of Play shows them all in one box, and the window's Quit, Escape and close box work while it
// is up. (A modal box, if one comes, is closed and counted, so that the test ends.)
TEST_F(PlayTest, TheReportsOfAPressOfPlayComeInOneBoxAndTheWindowStillCloses) {
    constexpr int kBadCommands = 3;
    for (const std::string& name : AllMeasureFileNames()) {
        if (!name.starts_with("DA") && !name.starts_with("DB")) continue;
        MFiEventWriter events;
        events.Tempo(0, 4, 250).Note(0, 0, 10, 3, 40);
        for (int bad = 0; bad < kBadCommands; ++bad) events.Command(0, 0x01, 0);
        events.Command(4, 0xDF, 0);
        MFiWriter file(4);
        file.InfoText("vers", "0200").Track(events);
        for (int empty = 1; empty < 4; ++empty) file.Track(MFiEventWriter());
        ASSERT_TRUE(file.WriteFile(folder_ / name));
    }
    const std::vector<std::function<void(DiceGameDialog&)>> closers{
        [](DiceGameDialog& d) { QTest::mouseClick(d.Item(DiceGameDialog::kQuitId), Qt::LeftButton); },
        [](DiceGameDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](DiceGameDialog& d) { d.close(); },
    };
    for (std::size_t closer = 0; closer < closers.size(); ++closer) {
        dialog_ = std::make_unique<DiceGameDialog>(noHelp_, [] { return kSeed; });
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
        GuiMessageSink sink;
        ScopedMessageSink boxes(sink);
        sink.SetOwner(dialog_.get());
        int modalBoxes = 0;
        QTimer closeModals;
        QObject::connect(&closeModals, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++modalBoxes;
                modal->close();
            }
        });
        closeModals.start(5);

        QTest::mouseClick(&Button(DiceGameDialog::kPlayId), Qt::LeftButton);
        EXPECT_EQ(modalBoxes, 0) << closer;
        std::vector<QMessageBox*> shown;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(window); box != nullptr && box->isVisible()) shown.push_back(box);
        }
        ASSERT_EQ(shown.size(), 1U) << closer;
        const QString lines = shown[0]->detailedText();
        EXPECT_EQ(lines.count(QStringLiteral("MFTK1F00000E")), 24 * kBadCommands) << lines.left(400).toStdString();
        const std::string first = MeasureOrder(PieceForm::Dance, dialog_->Dice())[0];
        EXPECT_TRUE(lines.contains(QRegularExpression(QStringLiteral("\nThe reports above came from the file (\\S*/)?") +
                                                      QString::fromStdString(first) + QStringLiteral("\\.\n"))))
            << lines.left(400).toStdString();

        closers[closer](*dialog_);
        EXPECT_FALSE(dialog_->isVisible()) << closer;
        EXPECT_EQ(modalBoxes, 0) << closer;
        sink.SetOwner(nullptr);
    }
}

}  // namespace
}  // namespace zamrit
