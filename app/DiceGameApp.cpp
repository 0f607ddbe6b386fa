#include "app/DiceGameApp.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include "app/AppIcon.h"
#include "app/DiceGameDialog.h"
#include "app/DialogFont.h"
#include "app/DialogTexts.h"
#include "platform/GuiMessageSink.h"
#include "platform/GuiWaitHook.h"
#include "platform/HelpViewer.h"
#include "platform/MessageSink.h"

namespace zamrit {

DiceGameApp::DiceGameApp() {
    QCoreApplication::setApplicationName(QString::fromUtf8(texts::kApplicationName));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZAMRIT_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("zamrit-dice-game"));
    QGuiApplication::setWindowIcon(AppIcon::Icon());
    DialogFont::RegisterSubstitutes();
}

bool DiceGameApp::InitInstance() {
    GuiMessageSink messageSink;
    ScopedMessageSink reportsInBoxes(messageSink);
    GuiWaitHook servingWait;
    ScopedWaitHook waitsServeTheWindow(servingWait);
    HelpViewer helpViewer;
    DiceGameDialog::ApplySavedOutput();
    {
        DiceGameDialog dialog(helpViewer);
        messageSink.SetOwner(&dialog);
        dialog.exec();  // closing stops any playback and waits for it
        messageSink.SetOwner(nullptr);
    }
    messageSink.Shutdown();
    return false;
}

}  // namespace zamrit
