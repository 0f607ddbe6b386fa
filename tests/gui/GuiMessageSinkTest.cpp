#include <string>
#include <thread>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include "gui/ModalWatcher.h"
#include "platform/GuiMessageSink.h"
#include "platform/WaitHook.h"

namespace zamrit {
namespace {

const std::string kLine = "MFDT20000004 Illegal file ID!";

// Checks that a modal window is the sink's message box for kLine, then presses its OK.
void ExpectBoxAndPressOk(QWidget& modal, int& boxes) {
    auto* box = qobject_cast<QMessageBox*>(&modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QString::fromStdString(kLine));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    ++boxes;
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
}

TEST(GuiMessageSinkTest, ShowsABoxWithOneOkOnTheGuiThread) {
    GuiMessageSink sink;
    int boxes = 0;
    testing::ModalWatcher watcher([&](QWidget& modal) { ExpectBoxAndPressOk(modal, boxes); });
    sink.Show(kLine);
    EXPECT_EQ(boxes, 1);
}

// The message boxes on screen now.
std::vector<QMessageBox*> VisibleBoxes() {
    std::vector<QMessageBox*> boxes;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(window); box != nullptr && box->isVisible()) boxes.push_back(box);
    }
    return boxes;
}

std::vector<std::string> NumberedLines(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) lines.push_back("MFTK1F00000E Invalid event " + std::to_string(i));
    return lines;
}

QString Listed(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& line : lines) list << QString::fromStdString(line);
    return list.join(QLatin1Char('\n'));
}

// The lines of one action come in one box once it is over: the first lines and how many there
// are, every line behind "Show Details...". The box is not modal, so the window's Quit keeps
// working, and lines that come while it is open are added to it.
TEST(GuiMessageSinkTest, TheReportsOfABatchComeTogetherInOneBoxThatLeavesTheWindowFree) {
    GuiMessageSink sink;
    const std::vector<std::string> lines = NumberedLines(20);
    sink.BeginBatch();
    sink.BeginBatch();  // batches nest: the outer one shows them
    for (const std::string& line : lines) sink.Show(line);
    sink.EndBatch();
    EXPECT_TRUE(VisibleBoxes().empty());
    sink.EndBatch();

    ASSERT_EQ(VisibleBoxes().size(), 1U);
    QMessageBox* box = sink.ReportBox();
    ASSERT_EQ(VisibleBoxes()[0], box);
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->text(), GuiMessageSink::BoxText(lines));
    EXPECT_TRUE(box->text().startsWith(QStringLiteral("20 report lines; the first 8:\n\n") + Listed(NumberedLines(8))));
    EXPECT_TRUE(box->text().endsWith(QStringLiteral("...and 12 more (Show Details... lists them all).")));
    EXPECT_EQ(box->detailedText(), Listed(lines));

    sink.Show("MDPL23000004 Invalid data");  // not in a batch: added to the open box, no wait
    QTRY_VERIFY(box->text().startsWith(QStringLiteral("21 report lines")));
    EXPECT_EQ(VisibleBoxes().size(), 1U);
    EXPECT_TRUE(box->detailedText().endsWith(QStringLiteral("\nMDPL23000004 Invalid data")));

    QPointer<QMessageBox> closing(box);
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_VERIFY(closing.isNull());
    EXPECT_EQ(sink.ReportBox(), nullptr);

    // A batch of one line shows just the line.
    sink.BeginBatch();
    sink.Show(kLine);
    sink.EndBatch();
    ASSERT_NE(sink.ReportBox(), nullptr);
    EXPECT_EQ(sink.ReportBox()->text(), QString::fromStdString(kLine));
    EXPECT_TRUE(sink.ReportBox()->detailedText().isEmpty());
}

// A storm of reports from the player's threads: each thread goes on at once, and the lines
// fill one box on the GUI thread instead of a box each.
TEST(GuiMessageSinkTest, AStormFromOtherThreadsFillsOneBoxAndTheThreadsGoOn) {
    GuiMessageSink sink;
    constexpr int kPerThread = 5000;
    std::vector<std::thread> reporters;
    for (int thread = 0; thread < 2; ++thread) {
        reporters.emplace_back([&sink] {
            for (const std::string& line : NumberedLines(kPerThread)) sink.Show(line);
        });
    }
    for (std::thread& reporter : reporters) reporter.join();  // without a single OK
    QTRY_VERIFY(sink.ReportBox() != nullptr && sink.ReportBox()->text().startsWith(QStringLiteral("10000 report lines")));
    EXPECT_EQ(VisibleBoxes().size(), 1U);
    EXPECT_EQ(sink.ReportBox()->detailedText().count(QLatin1Char('\n')), 2 * kPerThread - 1);
}

// A line of another thread is shown on the GUI thread while it waits in a library sleep (the
// window keeps being served); while a batch is open it waits for the batch's box.
TEST(GuiMessageSinkTest, LinesOfOtherThreadsAreShownWhileTheGuiThreadSleepsAndJoinAnOpenBatch) {
    GuiMessageSink sink;
    std::thread([&] { sink.Show(kLine); }).join();
    EXPECT_EQ(sink.ReportBox(), nullptr);  // the GUI thread has not got to it yet
    for (int poll = 0; poll < 100 && sink.ReportBox() == nullptr; ++poll) SleepMilliseconds(20);
    ASSERT_NE(sink.ReportBox(), nullptr);
    EXPECT_EQ(sink.ReportBox()->text(), QString::fromStdString(kLine));
    sink.ReportBox()->close();
    QTRY_VERIFY(sink.ReportBox() == nullptr);

    sink.BeginBatch();
    sink.Show("GENE01000007 Cant open file!");
    std::thread([&] { sink.Show(kLine); }).join();
    QTest::qWait(50);
    EXPECT_TRUE(VisibleBoxes().empty());
    sink.EndBatch();
    ASSERT_NE(sink.ReportBox(), nullptr);
    EXPECT_EQ(sink.ReportBox()->detailedText(), QStringLiteral("GENE01000007 Cant open file!\n") + QString::fromStdString(kLine));
}

TEST(GuiMessageSinkTest, ShutdownWritesTheLinesNotYetShownAndLaterLinesToStandardError) {
    GuiMessageSink sink;
    std::thread([&] { sink.Show(kLine); }).join();  // its box would come with the next events
    ::testing::internal::CaptureStderr();
    sink.Shutdown();
    sink.Show(kLine);  // no box: it would never be answered
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), kLine + "\n" + kLine + "\n");
    QTest::qWait(20);  // the dropped queued call finds nothing to show
    EXPECT_TRUE(VisibleBoxes().empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace zamrit
