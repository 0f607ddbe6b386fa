#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "platform/MessageSink.h"

namespace zamrit {

// Shows the report lines in message boxes with the warning icon and one OK button, always on
// the GUI thread, and never more than one box at a time for a flood of them:
//  - a line of the GUI thread outside any batch, while no report box is open, gets a modal box
//    of its own and Show returns once OK has been pressed;
//  - the lines of a batch (one action of the game: a press of Play, a save) are held until
//    the batch ends, then shown together in one report box;
//  - a line of another thread (the player's worker and timer) is held, handed to the GUI
//    thread as a queued call, and its thread goes on at once;
//  - a line that comes while the report box is open is added to it.
// The report box lists the first lines and how many there are, with every line behind its
// "Show Details..."; it is not modal, so the window's Quit, Escape and close box work while
// it is up. While the owner window is hidden (closing), held lines wait for it. Once Shutdown
// has been called (the event loop is about to end), lines go to standard error instead, and
// so do lines still held.
class GuiMessageSink final : public MessageSink {
public:
    // How many lines the report box shows before "Show Details...".
    static constexpr std::size_t kShownLines = 8;
    // The open report box takes new lines at most this often: each time it lists them all anew.
    static constexpr int kRefreshMilliseconds = 250;

    GuiMessageSink();
    ~GuiMessageSink() override;

    void Show(const std::string& line) override;
    // Only the GUI thread's batches are gathered; a batch begun on another thread changes nothing.
    void BeginBatch() override;
    void EndBatch() override;

    // The window the boxes belong to (none: the boxes are windows of their own).
    void SetOwner(QWidget* owner) { owner_ = owner; }
    // The report box while it is open, else null.
    QMessageBox* ReportBox() const { return reportBox_.data(); }

    // Shows the lines held so far in the report box, unless a batch is open or the owner is
    // hidden (the game calls it once its window is up, for what was reported before).
    void ShowHeldLines();

    void Shutdown();

    // The text of a report box for these lines: all of them up to kShownLines, else the first
    // ones and the count of the others.
    static QString BoxText(const std::vector<std::string>& lines);

private:
    void ShowModalBox(const std::string& line);
    static bool OnGuiThread();

    QObject receiver_;  // lives on the GUI thread; queued calls die with it
    QPointer<QWidget> owner_;
    QPointer<QMessageBox> reportBox_;
    QElapsedTimer sinceRefresh_;         // GUI thread only
    QTimer refresh_;                     // GUI thread only
    std::vector<std::string> boxLines_;  // what the report box lists (GUI thread only)
    int batchDepth_ = 0;                 // GUI thread only

    std::mutex mutex_;
    std::vector<std::string> held_;
    bool showQueued_ = false;
    bool shutDown_ = false;
};

}  // namespace zamrit
