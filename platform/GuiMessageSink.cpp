#include "platform/GuiMessageSink.h"

#include <iterator>

#include <QCoreApplication>
#include <QThread>

#include "platform/StderrMessageSink.h"

namespace zamrit {
namespace {

QString Joined(const std::vector<std::string>& lines, std::size_t count) {
    QString text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += QString::fromStdString(lines[i]);
    }
    return text;
}

}  // namespace

GuiMessageSink::GuiMessageSink() {
    refresh_.setSingleShot(true);
    QObject::connect(&refresh_, &QTimer::timeout, &receiver_, [this] { ShowHeldLines(); });
}

GuiMessageSink::~GuiMessageSink() {
    Shutdown();
    // A box of the owner window goes with the window; a box of none is this sink's.
    if (!reportBox_.isNull() && reportBox_->parent() == nullptr) delete reportBox_.data();
}

bool GuiMessageSink::OnGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

QString GuiMessageSink::BoxText(const std::vector<std::string>& lines) {
    if (lines.size() <= kShownLines) return Joined(lines, lines.size());
    return QStringLiteral("%1 report lines; the first %2:\n\n%3\n\n...and %4 more (Show Details... lists them all).")
        .arg(lines.size())
        .arg(kShownLines)
        .arg(Joined(lines, kShownLines))
        .arg(lines.size() - kShownLines);
}

void GuiMessageSink::Show(const std::string& line) {
    const bool onGuiThread = OnGuiThread();
    bool boxOfItsOwn = false;
    {
        std::lock_guard lock(mutex_);
        if (shutDown_ || QCoreApplication::instance() == nullptr) {
            StderrMessageSink().Show(line);
            return;
        }
        boxOfItsOwn = onGuiThread && batchDepth_ == 0 && reportBox_.isNull() && held_.empty();
        if (!boxOfItsOwn) {
            held_.push_back(line);
            if (!onGuiThread) {
                // The reporting thread goes on: its line waits for the GUI thread, with every
                // other line that comes before the GUI thread gets to it.
                if (!showQueued_) {
                    showQueued_ = true;
                    QMetaObject::invokeMethod(&receiver_, [this] { ShowHeldLines(); }, Qt::QueuedConnection);
                }
                return;
            }
        }
    }
    if (boxOfItsOwn) {
        ShowModalBox(line);
    } else {
        ShowHeldLines();
    }
}

void GuiMessageSink::BeginBatch() {
    if (OnGuiThread()) ++batchDepth_;
}

void GuiMessageSink::EndBatch() {
    if (!OnGuiThread() || batchDepth_ == 0) return;
    if (--batchDepth_ == 0) ShowHeldLines();
}

void GuiMessageSink::ShowModalBox(const std::string& line) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                    QString::fromStdString(line), QMessageBox::Ok, owner_.data());
    box.exec();
}

void GuiMessageSink::ShowHeldLines() {
    std::vector<std::string> lines;
    {
        std::lock_guard lock(mutex_);
        showQueued_ = false;
        // A box of a hidden window would go with it, unseen: the lines wait for the window.
        const bool ownerHidden = !owner_.isNull() && !owner_->isVisible();
        if (batchDepth_ > 0 || shutDown_ || held_.empty() || ownerHidden) return;
        // A flood into the open box: it is listed anew a few times a second, not for every line.
        if (!reportBox_.isNull() && sinceRefresh_.isValid() && sinceRefresh_.elapsed() < kRefreshMilliseconds) {
            if (!refresh_.isActive()) refresh_.start(kRefreshMilliseconds - static_cast<int>(sinceRefresh_.elapsed()));
            return;
        }
        lines.swap(held_);
    }
    sinceRefresh_.start();
    const bool opening = reportBox_.isNull();
    if (opening) {
        // Owned by the window (or, without one, by this sink), and gone once it is closed.
        boxLines_.clear();
        reportBox_ = new QMessageBox(QMessageBox::Warning, QCoreApplication::applicationName(), QString(),
                                     QMessageBox::Ok, owner_.data());
        reportBox_->setAttribute(Qt::WA_DeleteOnClose);
        reportBox_->setWindowModality(Qt::NonModal);
    }
    boxLines_.insert(boxLines_.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    reportBox_->setText(BoxText(boxLines_));
    if (boxLines_.size() > 1) reportBox_->setDetailedText(Joined(boxLines_, boxLines_.size()));
    if (opening) {  // later lines change the box without taking the focus from the window
        reportBox_->show();
        reportBox_->raise();
        reportBox_->activateWindow();
    }
}

void GuiMessageSink::Shutdown() {
    std::vector<std::string> unshown;
    {
        std::lock_guard lock(mutex_);
        shutDown_ = true;
        unshown.swap(held_);
    }
    StderrMessageSink standardError;
    for (const std::string& line : unshown) standardError.Show(line);
}

}  // namespace zamrit
