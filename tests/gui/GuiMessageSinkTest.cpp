#include <atomic>
#include <thread>

#include <QAbstractButton>
#include <QMessageBox>
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

TEST(GuiMessageSinkTest, AReportFromAnotherThreadWaitsForOkWhileTheWindowKeepsRunning) {
    GuiMessageSink sink;
    std::atomic<bool> returned{false};
    bool waitedForOk = false;
    int boxes = 0;
    // The box runs its own event loop on the GUI thread; the watcher answers it from there.
    testing::ModalWatcher watcher([&](QWidget& modal) {
        QTest::qWait(50);
        waitedForOk = !returned.load();
        ExpectBoxAndPressOk(modal, boxes);
    });

    std::thread reporter([&] {
        sink.Show(kLine);
        returned = true;
    });
    QTRY_VERIFY(returned.load());
    reporter.join();
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(waitedForOk);
}

TEST(GuiMessageSinkTest, TheGuiThreadAnswersReportsWhileItSleepsInALibraryWait) {
    // The player's requesting thread polls with the library's sleep; on the GUI thread that
    // sleep keeps serving queued calls, so a report from the worker gets its box meanwhile.
    GuiMessageSink sink;
    std::atomic<bool> returned{false};
    int boxes = 0;
    testing::ModalWatcher watcher([&](QWidget& modal) { ExpectBoxAndPressOk(modal, boxes); });
    std::thread reporter([&] {
        sink.Show(kLine);
        returned = true;
    });
    for (int poll = 0; poll < 100 && !returned; ++poll) SleepMilliseconds(50);
    EXPECT_TRUE(returned.load());
    reporter.join();
    EXPECT_EQ(boxes, 1);
}

TEST(GuiMessageSinkTest, ShutdownReleasesWaitingReportersAndLaterLinesGoToStandardError) {
    GuiMessageSink sink;
    std::atomic<bool> returned{false};
    std::thread reporter([&] {
        sink.Show(kLine);  // the GUI thread never runs its event loop for this box
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    sink.Shutdown();
    reporter.join();
    EXPECT_TRUE(returned.load());

    ::testing::internal::CaptureStderr();
    sink.Show(kLine);  // no box: it would never be answered
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), kLine + "\n");
    QTest::qWait(20);  // the dropped queued call finds nobody waiting and shows nothing
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace zamrit
