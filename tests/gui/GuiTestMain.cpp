#include <cstdlib>

#include <QApplication>
#include <gtest/gtest.h>

#include "app/DialogFont.h"
#include "platform/GuiWaitHook.h"
#include "platform/WaitHook.h"

// Widgets need the application object before the first test; the offscreen platform and the
// runtime folder come from the test's environment.
int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZamritDiceGame"));
    zamrit::DialogFont::RegisterSubstitutes();
    zamrit::GuiWaitHook servingWait;  // as the game does: waits on this thread serve the window
    zamrit::ScopedWaitHook waitsServeTheWindow(servingWait);
    return RUN_ALL_TESTS();
}
