#pragma once

#include <filesystem>

#include <QWidget>

#include "platform/ChmFile.h"

class QTextBrowser;
class QToolButton;

namespace zamrit {

class ChmTextBrowser;

// The help window: the pages of one compiled help file with Back, Forward and Close. Made as a
// window of its own owner's (the main dialog), it takes input while that dialog runs modally
// and stays in front of it; closing it only hides it, so that the next topic reuses it.
class HelpWindow final : public QWidget {
public:
    HelpWindow(ChmFile file, std::filesystem::path path, QWidget* owner);

    const std::filesystem::path& FilePath() const { return path_; }
    QTextBrowser& Browser() const;
    QToolButton& BackButton() const { return *back_; }
    QToolButton& ForwardButton() const { return *forward_; }
    QToolButton& CloseButton() const { return *close_; }

    // Shows `topic` and brings the window to the front.
    void ShowTopic(const QString& topic);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::filesystem::path path_;
    ChmTextBrowser* browser_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
    QToolButton* close_ = nullptr;
};

}  // namespace zamrit
