#include <unistd.h>

#include <filesystem>

#include <QMessageBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "app/DiceGameDialog.h"
#include "app/ScoreWindow.h"
#include "gui/ModalWatcher.h"
#include "platform/HelpViewer.h"

namespace zamrit {
namespace {

namespace fs = std::filesystem;

// Engraving a piece takes lilypond several seconds on a busy machine.
constexpr int kEngravingTimeoutMs = 120'000;

// The game's measure files, with the window opened as the user opens it.
class ScoreWindowTest : public ::testing::Test {
protected:
    void SetUp() override { dialog_.SetMeasureFolders({ZAMRIT_MEASURE_DIR}); }

    HelpViewer noHelp_{{fs::temp_directory_path() / "no-help-here"}};
    DiceGameDialog dialog_{noHelp_, [] { return 777u; }};
};

// Ctrl+K opens the window, which engraves in the background while the dialog goes on; a throw
// made meanwhile replaces the stale engraving, and the window ends up showing the new piece.
TEST_F(ScoreWindowTest, ShortcutOpensTheScoreAndEveryThrowIsEngravedAgain) {
    dialog_.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
    QTest::keyClick(&dialog_, Qt::Key_K, Qt::ControlModifier);
    ScoreWindow* score = dialog_.Score();
    ASSERT_NE(score, nullptr);
    EXPECT_TRUE(score->isVisible());
    EXPECT_EQ(score->CurrentState(), ScoreWindow::State::Engraving);
    EXPECT_EQ(score->StatusText(), QStringLiteral("Engraving…"));

    dialog_.ThrowDice();  // before the first engraving is done
    EXPECT_EQ(score->EngravingsStarted(), 2);
    EXPECT_EQ(score->CurrentState(), ScoreWindow::State::Engraving);
    QTRY_VERIFY_WITH_TIMEOUT(score->CurrentState() != ScoreWindow::State::Engraving, kEngravingTimeoutMs);
    ASSERT_EQ(score->CurrentState(), ScoreWindow::State::Shown) << score->StatusText().toStdString();
    EXPECT_GT(score->Engraved().height(), 200);

    const QSize before = score->Engraved().size();
    score->SetZoom(2.0);
    score->SetZoom(0.5);
    EXPECT_EQ(score->Engraved().size(), before);  // zoom scales the view, not the engraving

    // The next throw is engraved by the same lilypond, which kept running.
    const QImage first = score->Engraved().toImage();
    dialog_.ThrowDice();
    EXPECT_EQ(score->CurrentState(), ScoreWindow::State::Engraving);
    QTRY_VERIFY_WITH_TIMEOUT(score->CurrentState() != ScoreWindow::State::Engraving, kEngravingTimeoutMs);
    ASSERT_EQ(score->CurrentState(), ScoreWindow::State::Shown) << score->StatusText().toStdString();
    EXPECT_NE(score->Engraved().toImage(), first);
    EXPECT_EQ(score->EngraverStarts(), 1);

    score->HighlightBar(5);
    EXPECT_EQ(score->HighlightedBar(), 5);
    EXPECT_TRUE(score->StatusText().contains(QStringLiteral("Playing bar 5")));
    score->HighlightBar(0);
    EXPECT_EQ(score->HighlightedBar(), 0);
    EXPECT_FALSE(score->StatusText().contains(QStringLiteral("Playing")));
    dialog_.done(0);
}

// While the dialog runs modally, as the game runs it, the score window still takes input:
// its commands can be clicked.
TEST_F(ScoreWindowTest, TakesInputWhileTheDialogRunsModally) {
    double zoomAfterClick = 0;
    testing::ModalWatcher watcher([&](QWidget&) {
        dialog_.OnScore();
        ScoreWindow* score = dialog_.Score();
        if (score != nullptr && QTest::qWaitForWindowExposed(score)) {
            for (QToolButton* button : score->findChildren<QToolButton*>()) {
                // A click on the window, as the window system gives it, so that a window the
                // dialog blocks does not get it.
                if (button->text() != QStringLiteral("Zoom in")) continue;
                QTest::mouseClick(score->windowHandle(), Qt::LeftButton, {},
                                  button->mapTo(score, button->rect().center()));
            }
            zoomAfterClick = score->Zoom();
        }
        dialog_.reject();
    });
    dialog_.exec();
    EXPECT_DOUBLE_EQ(zoomAfterClick, 1.25);
}

// Without lilypond the window says how to install it, and MusicXML is still saved; a file
// that can't be written gets a message.
TEST_F(ScoreWindowTest, WithoutLilyPondTheWindowSaysHowToInstallIt) {
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/zamrit-nowhere");
    ScoreWindow score;
    DiceState dice;
    dice.firstDie.fill(3);
    dice.secondDie.fill(3);
    score.ShowPiece(PieceForm::MinuetTrio, dice, ZAMRIT_MEASURE_DIR);
    qputenv("PATH", path);
    EXPECT_EQ(score.CurrentState(), ScoreWindow::State::NoLilyPond);
    EXPECT_TRUE(score.StatusText().contains(QStringLiteral("sudo apt install lilypond")));

    const fs::path saved = fs::temp_directory_path() / ("zamrit-score-window-" + std::to_string(::getpid()) + ".musicxml");
    EXPECT_TRUE(score.SaveMusicXml(QString::fromStdString(saved.string())));
    EXPECT_GT(fs::file_size(saved), 1000U);
    fs::remove(saved);

    QString warning;
    testing::ModalWatcher watcher([&warning](QWidget& modal) {
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) warning = box->text();
        modal.close();
    });
    EXPECT_FALSE(score.SaveMusicXml(QStringLiteral("/zamrit-nowhere/score.musicxml")));
    EXPECT_EQ(warning, QStringLiteral("Can not write the file /zamrit-nowhere/score.musicxml: No such file or directory"));
}

// A temporary folder that can not be made fails the PDF save with a message that says why;
// the game stays up.
TEST_F(ScoreWindowTest, APdfSaveWithoutATemporaryFolderIsReported) {
    const fs::path target = fs::temp_directory_path() / ("zamrit-score-window-" + std::to_string(::getpid()) + ".pdf");
    const QByteArray tmpdir = qgetenv("TMPDIR");
    qputenv("TMPDIR", "/zamrit-nowhere");
    QString warning;
    testing::ModalWatcher watcher([&warning](QWidget& modal) {
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) warning = box->text();
        modal.close();
    });
    {
        ScoreWindow score;
        score.SavePdf(QString::fromStdString(target.string()));
        QTRY_VERIFY_WITH_TIMEOUT(!warning.isEmpty(), 30'000);
        EXPECT_FALSE(fs::exists(target));
    }
    if (tmpdir.isNull()) qunsetenv("TMPDIR");
    else qputenv("TMPDIR", tmpdir);
    EXPECT_EQ(warning, QStringLiteral("Can not make a temporary folder in /zamrit-nowhere: No such file or directory"));
}

// The window opens beside the dialog on the side with room, and never off the screen.
TEST(ScoreWindowPlaceTest, BesideTheDialogWhereThereIsRoomAndAlwaysOnTheScreen) {
    struct Case {
        QRect frame, screen, expected;
    };
    const QSize preferred(900, 600);
    const Case cases[]{
        {{100, 100, 400, 300}, {0, 0, 1920, 1080}, {508, 100, 900, 600}},    // room on the right
        {{1400, 100, 400, 300}, {0, 0, 1920, 1080}, {492, 100, 900, 600}},   // room on the left only
        {{348, 163, 566, 475}, {0, 0, 1280, 900}, {800, 163, 480, 600}},     // neither: overlaps, on screen
        {{100, 100, 200, 100}, {0, 0, 400, 300}, {0, 0, 400, 300}},          // a screen smaller than the window
        {{1100, 500, 400, 300}, {1080, 0, 1920, 1080}, {1508, 480, 900, 600}},  // a second screen
    };
    for (const Case& c : cases) EXPECT_EQ(ScoreWindow::PlaceBeside(c.frame, c.screen, preferred), c.expected) << c.frame.x();
}

}  // namespace
}  // namespace zamrit
