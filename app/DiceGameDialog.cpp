#include "app/DiceGameDialog.h"

#include <ctime>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QAction>
#include <QLabel>
#include <QPushButton>

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/Composition.h"
#include "app/DialogTexts.h"
#include "app/ScoreWindow.h"
#include "app/PlaybackHandoff.h"
#include "melody/MobileData.h"
#include "melody/TickMath.h"
#include "mfi/MFiData.h"
#include "midiout/MusicPlayer.h"
#include "platform/HelpViewer.h"

namespace zamrit {
namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Inserts an entry where a sorted list keeps it, and returns its index.
int AddSortedString(QComboBox& combo, const QString& text) {
    int index = 0;
    while (index < combo.count() &&
           QString::compare(combo.itemText(index), text, Qt::CaseInsensitive) <= 0) {
        ++index;
    }
    combo.insertItem(index, text);
    return index;
}

}  // namespace

DiceGameDialog::DiceGameDialog(HelpViewer& helpViewer, std::function<std::uint32_t()> seedSource)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      template_(*this, 323, 280),
      helpViewer_(helpViewer),
      seedSource_(std::move(seedSource)),
      icon_(AppIcon::Icon()) {
    CreateControls();
    OnInitDialog();
    connect(createButton_, &QPushButton::clicked, this, [this] { ThrowDice(); });
    connect(playButton_, &QPushButton::clicked, this, [this] { OnPlay(); });
    connect(formCombo_, &QComboBox::currentIndexChanged, this, [this] { ThrowDice(); });
    connect(helpButton_, &QPushButton::clicked, this, [this] { OnHelp(); });
    connect(quitButton_, &QPushButton::clicked, this, &QDialog::accept);
}

DiceGameDialog::~DiceGameDialog() { StopPlayback(); }

std::uint32_t DiceGameDialog::CurrentTimeSeed() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

void DiceGameDialog::CreateControls() {
    // Tab stops in template order: Quit (the default button, focused at start), Create, Play,
    // the form choice, Help.
    quitButton_ = template_.Add<QPushButton>(kQuitId, 188, 248, 75, 25);
    quitButton_->setDefault(true);
    createButton_ = template_.Add<QPushButton>(kCreateId, 7, 248, 85, 25);
    playButton_ = template_.Add<QPushButton>(kPlayId, 100, 248, 80, 25);
    formCombo_ = template_.Add<QComboBox>(kFormComboId, 5, 5, 125, 75);
    formCombo_->resize(formCombo_->width(), formCombo_->sizeHint().height());
    formCombo_->setMaxVisibleItems(5);
    helpButton_ = template_.Add<QPushButton>(kHelpId, 269, 248, 47, 25);
    setTabOrder(quitButton_, createButton_);
    setTabOrder(createButton_, playButton_);
    setTabOrder(playButton_, formCombo_);
    setTabOrder(formCombo_, helpButton_);

    const QString placeholder = QStringLiteral("ﾊﾞｰ");
    for (int bar = 1; bar <= DiceState::kBars; ++bar) {
        const int row = (bar - 1) / 8;
        const int x = 5 + 40 * ((bar - 1) % 8);
        const int y = 40 + 45 * row;
        QLabel* barLabel = template_.Add<QLabel>(kBarLabelIds[bar - 1], x, y, 35, 15, placeholder);
        barLabel->setAlignment(Qt::AlignCenter);
        barLabels_[bar - 1] = barLabel;
        QLabel* sumLabel = template_.Add<QLabel>(DiceState::kSumLabelIds[bar - 1], x, y + 20, 35, 20,
                                                 Text(texts::kSumPlaceholder));
        sumLabel->setAlignment(Qt::AlignCenter);
    }
    explanationText_ = template_.Add<QLabel>(kExplanationId, 10, 220, 305, 20, QStringLiteral("説明"));
    explanationText_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    explanationText_->setWordWrap(true);
    quitButton_->setFocus();
}

void DiceGameDialog::OnInitDialog() {
    systemMenu_ = std::make_unique<QMenu>();
    systemMenu_->addAction(QStringLiteral("&Close"))->setData(kCloseCommand);
    QAction* score = systemMenu_->addAction(QStringLiteral("&Score"));
    score->setData(kScoreCommand);
    score->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    addAction(score);  // the shortcut works while the menu is closed
    connect(score, &QAction::triggered, this, [this] { OnScore(); });
    const QString aboutItem = Text(texts::kAboutMenuItem);
    if (!aboutItem.isEmpty()) {
        systemMenu_->addSeparator();
        systemMenu_->addAction(aboutItem)->setData(kAboutCommand);
    }

    setWindowIcon(icon_);  // big and small icon: the icon carries both sizes
    random_.Seed(seedSource_());

    AddSortedString(*formCombo_, Text(texts::kDance));
    AddSortedString(*formCombo_, Text(texts::kMinuetTrio));

    setWindowTitle(Text(texts::kWindowTitle));
    for (int bar = 1; bar <= DiceState::kBars; ++bar) {
        barLabels_[bar - 1]->setText(Text(texts::kBarPrefix) + QString::number(bar));
    }
    explanationText_->setText(Text(texts::kExplanation));
    createButton_->setText(Text(texts::kCreate));
    playButton_->setText(Text(texts::kPlay));
    quitButton_->setText(Text(texts::kQuit));
    helpButton_->setText(Text(texts::kHelp));

    formCombo_->setCurrentIndex(0);
    ThrowDice();
}

void DiceGameDialog::SetItemText(int id, std::string_view text) {
    if (auto* label = qobject_cast<QLabel*>(Item(id))) label->setText(Text(text));
}

void DiceGameDialog::SetItemInt(int id, std::int32_t value) {
    if (auto* label = qobject_cast<QLabel*>(Item(id))) label->setText(QString::number(value));
}

void DiceGameDialog::ThrowDice() {
    const DiceState::Labels labels =
        dice_.Throw(PieceFormFromIndex(formCombo_->currentIndex()), random_);
    for (int bar = 1; bar <= DiceState::kBars; ++bar) {
        const int id = DiceState::kSumLabelIds[bar - 1];
        if (labels[bar - 1]) {
            SetItemInt(id, *labels[bar - 1]);
        } else {
            SetItemText(id, texts::kSumPlaceholder);
        }
    }
    if (scoreWindow_ != nullptr && scoreWindow_->isVisible()) {
        scoreWindow_->ShowPiece(PieceFormFromIndex(formCombo_->currentIndex()), dice_);
    }
}

void DiceGameDialog::OnScore() {
    if (scoreWindow_ == nullptr) {
        scoreWindow_ = std::make_unique<ScoreWindow>();
        scoreWindow_->move(frameGeometry().topRight() + QPoint(8, 0));
    }
    scoreWindow_->show();
    scoreWindow_->raise();
    scoreWindow_->ShowPiece(PieceFormFromIndex(formCombo_->currentIndex()), dice_);
}

void DiceGameDialog::OnPlay() {
    PlaybackHandoff& handoff = PlaybackHandoff::Instance();
    handoff.thePlayButton = playButton_;
    playButton_->setEnabled(false);

    auto melody = std::make_unique<MobileData>(static_cast<std::int32_t>(kPieceCapacity));
    {
        MFiData piece(kPieceVoiceType, kPieceCapacity);
        if (formCombo_->currentIndex() != 0) {
            ComposeMinuetTrio(dice_.firstDie, dice_.secondDie, piece);
        } else {
            ComposeDance(dice_.firstDie, dice_.secondDie, piece);
        }
        piece.ToMobileData(*melody);
    }
    const std::int32_t end = ClampToInt32(static_cast<std::int64_t>(melody->MeasureLength()) *
                                          melody->MeasureCount());
    const MobileData& playing = *melody;
    handoff.SetMelody(std::move(melody));
    playing.Play(OnPlayFinished, 0, end);
}

void DiceGameDialog::StopPlayback() {
    // A playback still running stops at its next timer firing without calling its completion;
    // one whose completion is pausing ends its pause. Then the worker resets and closes the
    // device, and the melody the completion did not take is destroyed here.
    PlaybackHandoff& handoff = PlaybackHandoff::Instance();
    handoff.SetClosing(true);
    MusicPlayer& player = MusicPlayer::Instance();
    player.RequestStop();
    player.WaitUntilIdle();
    handoff.thePlayButton = nullptr;
    handoff.TakeMelody().reset();
    handoff.SetClosing(false);
}

void DiceGameDialog::done(int result) {
    StopPlayback();
    QDialog::done(result);
}

void DiceGameDialog::OnHelp() {
    helpViewer_.DisplayTopic(this, std::string(texts::kHelpFile), std::string(texts::kHelpTopic));
}

void DiceGameDialog::OnSysCommand(std::uint32_t id, std::intptr_t /*param*/) {
    if ((id & 0xFFF0) == kAboutCommand) {
        AboutDialog about(this);
        about.exec();
        return;
    }
    switch (id & 0xFFF0) {
        case kCloseCommand: reject(); break;
        case kMinimizeCommand: showMinimized(); break;
        case kRestoreCommand: showNormal(); break;
        default: break;
    }
}

void DiceGameDialog::contextMenuEvent(QContextMenuEvent* event) {
    if (QAction* chosen = systemMenu_->exec(event->globalPos())) {
        if (chosen->data().toUInt() != kScoreCommand) OnSysCommand(chosen->data().toUInt(), 0);
    }
}

}  // namespace zamrit
