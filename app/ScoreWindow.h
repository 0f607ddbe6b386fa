#pragma once

#include <QPixmap>
#include <QWidget>
#include <QRect>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "app/DiceState.h"
#include "app/PieceForm.h"
#include "app/WarmEngraver.h"
#include "score/BarRegions.h"
#include "score/ScoreLayout.h"

class QFrame;
class QLabel;
class QScrollArea;

namespace zamrit {

// The thrown piece as sheet music, in a window of its own beside the game's dialog. The score
// is engraved by a `lilypond` kept running in the background, as one tall page: the window
// says "Engraving…" meanwhile, a newer piece takes the place of an older one not yet shown,
// and the dialog goes on answering. The window zooms, scrolls, prints, and saves the score as PDF or MusicXML. While
// a piece plays, the bar being heard is marked on the page and kept in view.
class ScoreWindow : public QWidget {
public:
    enum class State { Empty, Engraving, Shown, NoLilyPond, Failed };

    explicit ScoreWindow(QWidget* parent = nullptr);
    ~ScoreWindow() override;

    // Where the window goes beside a window whose frame is `frame` on a screen whose free
    // area is `screen`: on the side with more room, as wide as the room there (between a
    // least width and `preferred`), and wholly on the screen even where it must overlap.
    static QRect PlaceBeside(const QRect& frame, const QRect& screen, const QSize& preferred);

    // Composes the piece of these dice from the measure files in `folder` and engraves it; an
    // engraving still running is cancelled.
    void ShowPiece(PieceForm form, const DiceState& dice, const std::filesystem::path& folder = ".");

    // The bar being heard (1-32, as the dialog counts them), or 0 when nothing plays. The
    // window marks it on the page, scrolls it into view and names it in its status line. The
    // second time through the dance's first part marks the written bars 1-8 again.
    void HighlightBar(int bar);

    State CurrentState() const { return state_; }
    int HighlightedBar() const { return highlightedBar_; }
    // Where the bar being heard is marked, in the page's pixels; empty when nothing is marked.
    QRect MarkedArea() const;
    double Zoom() const { return zoom_; }
    void SetZoom(double zoom);
    const QPixmap& Engraved() const { return engraved_; }
    QString StatusText() const;
    int EngravingsStarted() const { return generation_; }
    // How many times `lilypond` was started for the window: once, while it keeps running.
    int EngraverStarts() const;

    // Writes the current score; false (and a message box) when the file can't be written.
    bool SaveMusicXml(const QString& path);
    // Engraves the current score as A4 pages into a PDF file, in the background.
    void SavePdf(const QString& path);
    void Print();

private:
    void StartEngraving();
    void OnEngraved(int generation, const WarmEngraver::Result& result);
    void SetState(State state, const QString& text);
    void ShowPixmap();
    void PlaceMarker();
    void Warn(const QString& text);

    QLabel* status_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* page_ = nullptr;
    QFrame* marker_ = nullptr;
    std::unique_ptr<WarmEngraver> engraver_;
    std::jthread pdfSaver_;
    QPixmap engraved_;
    std::map<std::int32_t, score::PageBox> barBoxes_;  // of the engraved page, by written bar
    score::ScoreLayout layout_;
    std::string lilyPondText_;  // the screen page of the current piece
    std::string printText_;     // its A4 pages
    std::string musicXml_;
    State state_ = State::Empty;
    int generation_ = 0;
    int highlightedBar_ = 0;
    double zoom_ = 1.0;
    QString stateText_;
};

}  // namespace zamrit
