#include <filesystem>
#include <fstream>

#include <QTextBrowser>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/ChmFile.h"
#include "platform/HelpViewer.h"

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
    auto* browser = qobject_cast<QTextBrowser*>(window);
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("How to play")));

    browser->setSource(QUrl(QStringLiteral("forms.htm")));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Minuet / Trio")));

    // A second call replaces the window rather than piling them up.
    QWidget* again = viewer.DisplayTopic(nullptr, "ZamritDiceGame.chm", "setup.htm");
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(qobject_cast<QTextBrowser*>(again)->toPlainText().contains(QStringLiteral("ZAMRIT_MIDI_OUT")));
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
