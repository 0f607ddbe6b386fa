#include "platform/GuiMessageSink.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

#include "platform/StderrMessageSink.h"

namespace zamrit {

GuiMessageSink::GuiMessageSink() = default;

GuiMessageSink::~GuiMessageSink() { Shutdown(); }

bool GuiMessageSink::OnGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void GuiMessageSink::Show(const std::string& line) {
    {
        std::lock_guard lock(mutex_);
        if (shutDown_ || QCoreApplication::instance() == nullptr) {
            StderrMessageSink().Show(line);
            return;
        }
    }
    if (OnGuiThread()) {
        ShowBox(line);
    } else {
        ShowOnGuiThreadAndWait(line);
    }
}

void GuiMessageSink::ShowBox(const std::string& line) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                    QString::fromStdString(line), QMessageBox::Ok, owner_.data());
    box.exec();
}

void GuiMessageSink::ShowOnGuiThreadAndWait(const std::string& line) {
    std::unique_lock lock(mutex_);
    const std::uint64_t ticket = nextTicket_++;
    waiting_.insert(ticket);
    lock.unlock();

    QMetaObject::invokeMethod(
        &receiver_,
        [this, line, ticket] {
            bool stillWaiting = false;
            {
                std::lock_guard guard(mutex_);
                stillWaiting = waiting_.count(ticket) != 0 && !shutDown_;
            }
            if (stillWaiting) ShowBox(line);
            std::lock_guard guard(mutex_);
            waiting_.erase(ticket);
            answered_.notify_all();
        },
        Qt::QueuedConnection);

    lock.lock();
    answered_.wait(lock, [&] { return shutDown_ || waiting_.count(ticket) == 0; });
    if (shutDown_ && waiting_.erase(ticket) != 0) {
        lock.unlock();
        StderrMessageSink().Show(line);
    }
}

void GuiMessageSink::Shutdown() {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    answered_.notify_all();
}

}  // namespace zamrit
