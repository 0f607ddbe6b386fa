#include "app/DiceGameApp.h"

#include <optional>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include "app/AppIcon.h"
#include "app/DiceGameDialog.h"
#include "app/DialogFont.h"
#include "app/DialogTexts.h"
#include "platform/GuiMessageSink.h"
#include "platform/GuiWaitHook.h"
#include "platform/HelpViewer.h"
#include "platform/MessageSink.h"
#include "platform/ScopedReportBatch.h"

namespace zamrit {

DiceGameApp::DiceGameApp() {
    QCoreApplication::setApplicationName(QString::fromUtf8(texts::kApplicationName));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZAMRIT_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zamrit.dicegame"));
    QGuiApplication::setWindowIcon(AppIcon::Icon());
    DialogFont::RegisterSubstitutes();
}

bool DiceGameApp::InitInstance() {
    GuiMessageSink messageSink;
    ScopedMessageSink reportsInBoxes(messageSink);
    GuiWaitHook servingWait;
    ScopedWaitHook waitsServeTheWindow(servingWait);
    HelpViewer helpViewer;
    {
        // What the start reports (a saved output that is ignored) is shown over the window,
        // once it is up, instead of in a box before it.
        std::optional<ScopedReportBatch> starting(std::in_place);
        DiceGameDialog::ApplySavedOutput();  // before the dialog: its Output menu marks it
        DiceGameDialog dialog(helpViewer);
        messageSink.SetOwner(&dialog);
        starting.reset();
        QTimer::singleShot(0, &dialog, [&messageSink] {
            // The window is up: the instruments load meanwhile, off the path of Play (and of a
            // box the held lines may open).
            DiceGameDialog::StartLoadingInstruments();
            messageSink.ShowHeldLines();
        });
        dialog.exec();  // closing stops any playback and waits for it
        messageSink.SetOwner(nullptr);
    }
    messageSink.Shutdown();
    return false;
}

}  // namespace zamrit
