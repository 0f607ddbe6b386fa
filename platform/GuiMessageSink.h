#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "platform/MessageSink.h"

namespace zamrit {

// Shows every report line in a message box with the warning icon and one OK button, always on
// the GUI thread. A line reported on another thread is handed to the GUI thread as a queued
// call and the reporting thread waits until OK has been pressed; the GUI thread itself never
// waits for it, so a window busy in its own event loop stays responsive. Once Shutdown has been
// called (the event loop is about to end), lines go to standard error instead and every
// reporter still waiting is released.
class GuiMessageSink final : public MessageSink {
public:
    GuiMessageSink();
    ~GuiMessageSink() override;

    void Show(const std::string& line) override;

    // The window the boxes belong to (none: the boxes are application-modal on their own).
    void SetOwner(QWidget* owner) { owner_ = owner; }

    void Shutdown();

private:
    void ShowBox(const std::string& line);
    void ShowOnGuiThreadAndWait(const std::string& line);
    static bool OnGuiThread();

    QObject receiver_;  // lives on the GUI thread; queued calls die with it
    QPointer<QWidget> owner_;
    std::mutex mutex_;
    std::condition_variable answered_;
    std::set<std::uint64_t> waiting_;
    std::uint64_t nextTicket_ = 0;
    bool shutDown_ = false;
};

}  // namespace zamrit
