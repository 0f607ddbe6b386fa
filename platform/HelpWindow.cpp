#include "platform/HelpWindow.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/ChmTextBrowser.h"

namespace zamrit {
namespace {

QToolButton* MakeButton(QWidget& parent, const QString& text, QStyle::StandardPixmap icon,
                        const QKeySequence& shortcut) {
    auto* button = new QToolButton(&parent);
    button->setText(text);
    button->setIcon(parent.style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setShortcut(shortcut);
    button->setAutoRaise(true);
    return button;
}

}  // namespace

HelpWindow::HelpWindow(ChmFile file, std::filesystem::path path, QWidget* owner)
    : QWidget(owner, Qt::Window), path_(std::move(path)) {
    setWindowTitle(QCoreApplication::applicationName() + QStringLiteral(" Help"));
    if (owner != nullptr) setWindowIcon(owner->windowIcon());
    resize(640, 480);

    browser_ = new ChmTextBrowser(std::move(file), this);
    back_ = MakeButton(*this, QStringLiteral("&Back"), QStyle::SP_ArrowBack, QKeySequence::Back);
    forward_ = MakeButton(*this, QStringLiteral("&Forward"), QStyle::SP_ArrowForward, QKeySequence::Forward);
    close_ = MakeButton(*this, QStringLiteral("&Close"), QStyle::SP_DialogCloseButton, QKeySequence());
    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(close_, &QToolButton::clicked, this, &QWidget::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
}

QTextBrowser& HelpWindow::Browser() const { return *browser_; }

void HelpWindow::ShowTopic(const QString& topic) {
    browser_->setSource(QUrl(topic));
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    browser_->setFocus();
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace zamrit
