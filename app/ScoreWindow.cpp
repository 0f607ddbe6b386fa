#include "app/ScoreWindow.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/ThrownPiece.h"
#include "melody/MobileData.h"
#include "platform/AtomicFileWriter.h"
#include "score/LilyPondProgram.h"
#include "score/LilyPondWriter.h"
#include "score/MusicXmlWriter.h"
#include "score/ScoreBuilder.h"

namespace zamrit {
namespace {

// Pixels per inch of the engraving at zoom 1: a 32-bar piece is about as wide as a screen.
constexpr int kResolution = 90;
constexpr double kZoomStep = 1.25;
constexpr double kMillimetresPerInch = 25.4;
// Room kept around the marked bar when it is scrolled into view, in pixels.
constexpr int kMarkerMargin = 24;

}  // namespace

ScoreWindow::ScoreWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Score"));
    auto* layout = new QVBoxLayout(this);
    // A tool bar: in a narrow window the commands that do not fit go behind its » button.
    auto* tools = new QToolBar(this);
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* zoomIn = tools->addAction(QStringLiteral("Zoom in"));
    QAction* zoomOut = tools->addAction(QStringLiteral("Zoom out"));
    QAction* print = tools->addAction(QStringLiteral("Print…"));
    QAction* savePdf = tools->addAction(QStringLiteral("Save score as PDF…"));
    QAction* saveXml = tools->addAction(QStringLiteral("Save score as MusicXML…"));
    layout->addWidget(tools);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(status_);
    scroll_ = new QScrollArea(this);
    page_ = new QLabel(scroll_);
    page_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    page_->setStyleSheet(QStringLiteral("background: white"));
    scroll_->setWidget(page_);
    // The mark of the bar being heard: the platform's highlight colour, see-through.
    marker_ = new QFrame(page_);
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlpha(70);
    marker_->setStyleSheet(QStringLiteral("background-color: %1; border: 2px solid %2")
                               .arg(fill.name(QColor::HexArgb), palette().color(QPalette::Highlight).name()));
    marker_->setAttribute(Qt::WA_TransparentForMouseEvents);
    marker_->hide();
    scroll_->setWidgetResizable(false);
    layout->addWidget(scroll_, 1);
    resize(900, 600);

    connect(zoomIn, &QAction::triggered, this, [this] { SetZoom(zoom_ * kZoomStep); });
    connect(zoomOut, &QAction::triggered, this, [this] { SetZoom(zoom_ / kZoomStep); });
    zoomIn->setShortcut(QKeySequence::ZoomIn);
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    connect(print, &QAction::triggered, this, [this] { Print(); });
    print->setShortcut(QKeySequence::Print);
    connect(savePdf, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save score as PDF"),
                                                          QStringLiteral("score.pdf"), QStringLiteral("PDF (*.pdf)"));
        if (!path.isEmpty()) SavePdf(path);
    });
    connect(saveXml, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save score as MusicXML"),
                                                          QStringLiteral("score.musicxml"),
                                                          QStringLiteral("MusicXML (*.musicxml *.xml)"));
        if (!path.isEmpty()) SaveMusicXml(path);
    });
    SetState(State::Empty, QStringLiteral("No piece yet."));
}

ScoreWindow::~ScoreWindow() = default;

QRect ScoreWindow::PlaceBeside(const QRect& frame, const QRect& screen, const QSize& preferred) {
    constexpr int kGap = 8;
    constexpr int kLeastWidth = 480;
    const int rightRoom = screen.right() - frame.right() - kGap;
    const int leftRoom = frame.left() - screen.left() - kGap;
    const int width = std::min(std::clamp(std::max(rightRoom, leftRoom), kLeastWidth, std::max(kLeastWidth, preferred.width())),
                               screen.width());
    const int height = std::min(preferred.height(), screen.height());
    const int x = rightRoom >= leftRoom ? frame.right() + 1 + kGap : frame.left() - kGap - width;
    const int y = frame.top();
    return {std::clamp(x, screen.left(), screen.left() + screen.width() - width),
            std::clamp(y, screen.top(), screen.top() + screen.height() - height), width, height};
}

void ScoreWindow::ShowPiece(PieceForm form, const DiceState& dice, const std::filesystem::path& folder) {
    const ThrownPiece piece = ThrownPiece::FromThrow(form, dice, folder);
    const MobileData& melody = *piece.melody;
    layout_ = score::ScoreLayout::ForForm(form);
    if (const auto refusal = score::ScoreBuilder::Refusal(melody, layout_)) {
        lilyPondText_.clear();
        printText_.clear();
        musicXml_.clear();
        engraved_ = QPixmap();
        ShowPixmap();
        SetState(State::Failed, QString::fromStdString(*refusal));
        return;
    }
    const score::Score notation = score::ScoreBuilder::Build(melody, layout_);
    lilyPondText_ = score::LilyPondWriter::Write(notation, score::LilyPondWriter::Page::Screen);
    printText_ = score::LilyPondWriter::Write(notation, score::LilyPondWriter::Page::Print);
    musicXml_ = score::MusicXmlWriter::Write(notation);
    highlightedBar_ = 0;
    PlaceMarker();
    StartEngraving();
}

void ScoreWindow::StartEngraving() {
    const int generation = ++generation_;
    const auto program = score::LilyPondProgram::Find();
    if (!program) {
        engraver_.reset();
        engraved_ = QPixmap();
        ShowPixmap();
        SetState(State::NoLilyPond, QString::fromUtf8(score::LilyPondProgram::kInstallHint) +
                                        QStringLiteral(" to see the score here. Saving it as MusicXML works without it."));
        return;
    }
    if (engraver_ == nullptr) engraver_ = std::make_unique<WarmEngraver>(QString::fromStdString(*program), kResolution);
    SetState(State::Engraving, QStringLiteral("Engraving…"));
    engraver_->Engrave(lilyPondText_, [this, generation](const WarmEngraver::Result& result) { OnEngraved(generation, result); });
}

int ScoreWindow::EngraverStarts() const { return engraver_ != nullptr ? engraver_->Starts() : 0; }

void ScoreWindow::OnEngraved(int generation, const WarmEngraver::Result& result) {
    if (generation != generation_) return;  // a stale piece: a newer one is on its way
    QPixmap pixmap;
    if (result.engraved) pixmap.loadFromData(result.png, "PNG");
    if (pixmap.isNull()) {
        SetState(State::Failed, QStringLiteral("LilyPond could not engrave the score.\n") + result.log);
    } else {
        engraved_ = pixmap;
        barBoxes_ = score::BarRegions::Find(result.postScript, lilyPondText_);
        ShowPixmap();
        SetState(State::Shown, QString());
    }
}

void ScoreWindow::SetZoom(double zoom) {
    zoom_ = std::clamp(zoom, 0.25, 4.0);
    ShowPixmap();
}

void ScoreWindow::ShowPixmap() {
    if (engraved_.isNull()) {
        page_->clear();
        page_->resize(0, 0);
        barBoxes_.clear();
        PlaceMarker();
        return;
    }
    const QPixmap shown = engraved_.scaledToWidth(static_cast<int>(engraved_.width() * zoom_), Qt::SmoothTransformation);
    page_->setPixmap(shown);
    page_->resize(shown.size());
    PlaceMarker();
}

void ScoreWindow::HighlightBar(int bar) {
    highlightedBar_ = bar >= 1 && bar <= DiceState::kBars ? bar : 0;
    PlaceMarker();
    SetState(state_, stateText_);
}

void ScoreWindow::PlaceMarker() {
    const auto box = barBoxes_.find(layout_.WrittenBar(highlightedBar_));
    if (highlightedBar_ == 0 || box == barBoxes_.end() || engraved_.isNull()) {
        marker_->hide();
        return;
    }
    const double pixels = kResolution / kMillimetresPerInch * page_->width() / static_cast<double>(engraved_.width());
    const score::PageBox& mm = box->second;
    const QRect area = QRect(QPoint(static_cast<int>(mm.left * pixels), static_cast<int>(mm.top * pixels)),
                             QPoint(static_cast<int>(mm.right * pixels), static_cast<int>(mm.bottom * pixels)))
                           .intersected(page_->rect());
    marker_->setGeometry(area);
    marker_->show();
    marker_->raise();
    // The whole bar with some room around it where the view is large enough, else its middle.
    const QSize view = scroll_->viewport()->size();
    scroll_->ensureVisible(area.center().x(), area.center().y(),
                           std::min(area.width() / 2 + kMarkerMargin, view.width() / 2),
                           std::min(area.height() / 2 + kMarkerMargin, view.height() / 2));
}

QRect ScoreWindow::MarkedArea() const { return marker_->isHidden() ? QRect() : marker_->geometry(); }

QString ScoreWindow::StatusText() const { return status_->text(); }

void ScoreWindow::SetState(State state, const QString& text) {
    state_ = state;
    stateText_ = text;
    QString shown = text;
    if (highlightedBar_ > 0) shown += (shown.isEmpty() ? "" : "  ") + QStringLiteral("Playing bar %1").arg(highlightedBar_);
    status_->setText(shown);
    status_->setVisible(!shown.isEmpty());
}

void ScoreWindow::Warn(const QString& text) { QMessageBox::warning(this, QStringLiteral("Score"), text); }

bool ScoreWindow::SaveMusicXml(const QString& path) {
    // Written whole or not at all: a file that was there stays as it was when the write fails.
    if (musicXml_.empty()) {
        Warn(QStringLiteral("Can not write the file ") + path + QStringLiteral(": there is no score yet"));
        return false;
    }
    if (const auto problem = AtomicFileWriter::WriteWhole(path.toStdString(), musicXml_)) {
        Warn(QStringLiteral("Can not write the file ") + path + QStringLiteral(": ") + QString::fromStdString(*problem));
        return false;
    }
    return true;
}

void ScoreWindow::SavePdf(const QString& path) {
    if (!score::LilyPondProgram::Find()) {
        Warn(QString::fromUtf8(score::LilyPondProgram::kInstallHint));
        return;
    }
    if (pdfSaver_.joinable()) pdfSaver_.join();
    QPointer<ScoreWindow> window(this);
    // The window going (the game quits) stops the saver: lilypond is ended, its folder removed.
    pdfSaver_ = std::jthread([window, text = printText_, target = path.toStdString()](std::stop_token stop) {
        const auto result = score::LilyPondProgram::Engrave(text, score::LilyPondProgram::Format::Pdf, target,
                                                            [&stop] { return stop.stop_requested(); });
        if (result.written || result.stopped) return;
        const QString problem = QString::fromStdString(result.problem);
        QMetaObject::invokeMethod(qApp, [window, problem] {
            if (window) window->Warn(problem);
        }, Qt::QueuedConnection);
    });
}

void ScoreWindow::Print() {
    if (engraved_.isNull()) {
        Warn(QStringLiteral("There is no engraved score to print yet."));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    // The tall page goes onto sheets at the page's width, cut into sheet-high slices.
    const double scale = static_cast<double>(page.width()) / engraved_.width();
    const int sliceHeight = static_cast<int>(page.height() / scale);
    for (int top = 0; top < engraved_.height(); top += sliceHeight) {
        if (top > 0) printer.newPage();
        const QPixmap slice = engraved_.copy(0, top, engraved_.width(), std::min(sliceHeight, engraved_.height() - top));
        painter.drawPixmap(QRect(0, 0, page.width(), static_cast<int>(slice.height() * scale)), slice);
    }
}

}  // namespace zamrit
