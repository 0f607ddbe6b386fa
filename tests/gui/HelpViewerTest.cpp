#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QTextBrowser>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <gtest/gtest.h>

#include "app/DiceGameDialog.h"
#include "gui/ModalWatcher.h"
#include "platform/ChmFile.h"
#include "platform/HelpViewer.h"
#include "platform/HelpWindow.h"

namespace zamrit {
namespace {

const std::filesystem::path kBuiltHelpFile = ZAMRIT_HELP_FILE;

TEST(ChmFileTest, ReadsTopicsOfTheCompiledHelpFileAndRefusesOthers) {
    auto file = ChmFile::Open(kBuiltHelpFile);
    ASSERT_TRUE(file.has_value());
    const auto top = file->Read("top.htm");
    ASSERT_TRUE(top.has_value());
    EXPECT_NE(top->find("How to play"), std::string::npos);
    EXPECT_EQ(file->Read("/top.htm"), top);
    EXPECT_FALSE(file->Read("missing.htm").has_value());
}

TEST(ChmFileTest, RefusesMissingAndForeignFiles) {
    const auto folder = std::filesystem::temp_directory_path() / "zamrit-chm-test";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "junk.chm") << "not a help file at all";
    EXPECT_FALSE(ChmFile::Open(folder / "missing.chm").has_value());
    EXPECT_FALSE(ChmFile::Open(folder / "junk.chm").has_value());
    EXPECT_FALSE(ChmFile::Open(folder).has_value());
}

TEST(HelpViewerTest, ShowsTheTopicByBareNameAndFollowsLinksInsideTheFile) {
    HelpViewer viewer({"/nonexistent-folder", kBuiltHelpFile.parent_path()});
    QWidget* window = viewer.DisplayTopic(nullptr, "ZamritDiceGame.chm", "top.htm");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    auto* browser = window->findChild<QTextBrowser*>();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("How to play")));

    browser->setSource(QUrl(QStringLiteral("forms.htm")));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Minuet / Trio")));

    // A second call shows its topic in the same window rather than piling windows up.
    QWidget* again = viewer.DisplayTopic(nullptr, "ZamritDiceGame.chm", "setup.htm");
    EXPECT_EQ(again, window);
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("ZAMRIT_MIDI_OUT")));
}

// Clicks the link whose text is `text` in the browser, as the mouse would.
void ClickLink(QTextBrowser& browser, const QString& text) {
    const QTextCursor found = browser.document()->find(text);
    ASSERT_FALSE(found.isNull()) << text.toStdString();
    QTextCursor inside(found);
    inside.setPosition(found.selectionStart() + 2);
    const QPoint at = browser.cursorRect(inside).center();
    QTest::mouseClick(browser.viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

// The help window of the game, opened while the main dialog runs modally, as it does in the
// game: it comes to the front, follows a link clicked in it, goes back and forward, closes on
// its own, and a second press of Help shows the same window again.
TEST(HelpWindowTest, TakesInputWhileTheMainDialogRunsModally) {
    HelpViewer viewer({kBuiltHelpFile.parent_path()});
    DiceGameDialog dialog(viewer, [] { return 1u; });
    HelpWindow* shown = nullptr;
    QString linkedPage, afterBack, afterForward;
    bool closedAlone = false;
    bool reused = false;
    testing::ModalWatcher watcher([&](QWidget&) {
        QTest::mouseClick(dialog.Item(DiceGameDialog::kHelpId), Qt::LeftButton);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* help = dynamic_cast<HelpWindow*>(window); help != nullptr && help->isVisible()) shown = help;
        }
        if (shown == nullptr) {
            dialog.reject();
            return;
        }
        if (!QTest::qWaitForWindowExposed(shown)) return;
        ClickLink(shown->Browser(), QStringLiteral("The two forms and what the numbers mean"));
        linkedPage = shown->Browser().source().toString();
        QTest::mouseClick(&shown->BackButton(), Qt::LeftButton);
        afterBack = shown->Browser().source().toString();
        QTest::mouseClick(&shown->ForwardButton(), Qt::LeftButton);
        afterForward = shown->Browser().source().toString();
        QTest::mouseClick(&shown->CloseButton(), Qt::LeftButton);
        closedAlone = !shown->isVisible() && dialog.isVisible();
        QTest::mouseClick(dialog.Item(DiceGameDialog::kHelpId), Qt::LeftButton);
        reused = shown->isVisible() && shown->Browser().source().toString() == QStringLiteral("top.htm");
        dialog.reject();
    });
    dialog.exec();
    ASSERT_NE(shown, nullptr) << "no help window";
    EXPECT_EQ(linkedPage, QStringLiteral("forms.htm"));
    EXPECT_EQ(afterBack, QStringLiteral("top.htm"));
    EXPECT_EQ(afterForward, QStringLiteral("forms.htm"));
    EXPECT_TRUE(closedAlone);
    EXPECT_TRUE(reused);
    int helpWindows = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) helpWindows += dynamic_cast<HelpWindow*>(window) != nullptr;
    EXPECT_EQ(helpWindows, 1);
}

TEST(HelpViewerTest, MissingFileOrTopicShowsNothing) {
    HelpViewer viewer({"/nonexistent-folder"});
    EXPECT_EQ(viewer.DisplayTopic(nullptr, "ZamritDiceGame.chm", "top.htm"), nullptr);
    EXPECT_EQ(viewer.DisplayTopic(nullptr, "ZamritDiceGame.chm", "top.htm"), nullptr);
    HelpViewer withFile({kBuiltHelpFile.parent_path()});
    EXPECT_EQ(withFile.DisplayTopic(nullptr, "ZamritDiceGame.chm", "nowhere.htm"), nullptr);
}

}  // namespace
}  // namespace zamrit
