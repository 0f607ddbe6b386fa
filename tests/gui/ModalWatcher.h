#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace zamrit::testing {

// Waits, on the GUI thread, for the next modal window to appear while a test is blocked in
// that window's own event loop, and hands it to the test's function (which closes it).
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QWidget&)> onModal) : onModal_(std::move(onModal)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == ignored_) return;
            timer_.stop();
            ++seen_;
            onModal_(*modal);
        });
        ignored_ = QApplication::activeModalWidget();
        timer_.start();
    }

    int Seen() const { return seen_; }

private:
    std::function<void(QWidget&)> onModal_;
    QTimer timer_;
    QWidget* ignored_ = nullptr;
    int seen_ = 0;
};

}  // namespace zamrit::testing
