#include "app/DiceGameDialog.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

#include <QCoreApplication>
#include <QComboBox>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QEventLoop>
#include <QProgressDialog>
#include <QSettings>
#include <QTimer>

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/Composition.h"
#include "app/DialogTexts.h"
#include "app/ScoreWindow.h"
#include "app/MeasureFolder.h"
#include "app/MeasureOrder.h"
#include "app/PlaybackHandoff.h"
#include "melody/ErrorReporting.h"
#include "melody/MidiEventKind.h"
#include "melody/MobileData.h"
#include "melody/TickMath.h"
#include "mfi/MFiData.h"
#include "midiout/MusicPlayer.h"
#include "midiseq/MidiF0Data.h"
#include "midiseq/MidiFileWriter.h"
#include "platform/AlsaMidiOutput.h"
#include "platform/AtomicFileWriter.h"
#include "platform/HelpViewer.h"
#include "platform/ScopedReportBatch.h"
#include "platform/SoundFontChoice.h"
#include "platform/SynthEngineCache.h"
#include "platform/SystemMidiOutService.h"
#include "platform/TimerService.h"
#include "platform/WaitHook.h"
#include "platform/WavRenderService.h"

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
      icon_(AppIcon::Icon()),
      measureFolders_(MeasureFolder::Candidates(
          QCoreApplication::instance() != nullptr ? QCoreApplication::applicationDirPath().toStdString()
                                                  : std::string())),
      fileChooser_([this](const QString& suggested, const QString& filter) {
          return QFileDialog::getSaveFileName(this, QString(), suggested, filter);
      }),
      instrumentsLoading_([] { return SynthEngines().Loading(); }) {
    CreateControls();
    OnInitDialog();
    CreateMenuActions();
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

// Each action of the window shows its reports together, in one box, once it is over: a
// piece composed of broken files can raise thousands.

void DiceGameDialog::ThrowDice() {
    const ScopedReportBatch oneBox;
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
    if (scoreWindow_ != nullptr && scoreWindow_->isVisible()) UpdateScore();
}

void DiceGameDialog::UpdateScore() {
    // Quietly: without the measure files the score shows empty bars, and Play says why.
    const auto folder = MeasureFolder::Find(measureFolders_);
    scoreWindow_->ShowPiece(PieceFormFromIndex(formCombo_->currentIndex()), dice_,
                            folder.value_or(std::filesystem::path(".")));
}

void DiceGameDialog::OnScore() {
    const ScopedReportBatch oneBox;
    if (scoreWindow_ == nullptr) {
        // A window of the dialog's own, so that the modal dialog does not block its input.
        scoreWindow_ = std::make_unique<ScoreWindow>(this);
        const QRect screen = this->screen() != nullptr ? this->screen()->availableGeometry() : QRect(0, 0, 1280, 800);
        scoreWindow_->setGeometry(ScoreWindow::PlaceBeside(frameGeometry(), screen, scoreWindow_->size()));
    }
    scoreWindow_->show();
    scoreWindow_->raise();
    UpdateScore();
}

std::optional<std::filesystem::path> DiceGameDialog::FindMeasures() {
    const auto folder = MeasureFolder::Find(measureFolders_);
    // Without any of the game's files there is nothing to play: one message says where they
    // were looked for, instead of a report for every bar.
    if (!folder) ShowErrorMessage(MeasureFolder::NotFoundMessage(measureFolders_));
    return folder;
}

ThrownPiece DiceGameDialog::ComposeThrownPiece(const std::filesystem::path& folder) const {
    return ThrownPiece::FromThrow(PieceFormFromIndex(formCombo_->currentIndex()), dice_, folder);
}

void DiceGameDialog::OnPlay() {
    const ScopedReportBatch oneBox;
    const auto folder = FindMeasures();
    if (!folder) return;
    PlaybackHandoff& handoff = PlaybackHandoff::Instance();
    handoff.thePlayButton = playButton_;
    playButton_->setEnabled(false);

    ThrownPiece piece = ComposeThrownPiece(*folder);
    std::int32_t trimmedTicks = 0;
    std::unique_ptr<MidiF0Data> sequence = piece.melody->MakeSequence(0, piece.endTick, &trimmedTicks);
    // The sequence counts 96 ticks to the quarter note; the bars were measured in the melody's.
    BarEnds barEnds = piece.BarEndsInSequenceTicks();
    handoff.SetMelody(std::move(piece.melody));
    if (sequence == nullptr) {
        playButton_->setEnabled(true);
        handoff.TakeMelody().reset();
        return;
    }

    // The bar heard is the bar of the note the player sends: the observer runs on the timer
    // thread as each event goes out (its ticks counted from the start of the piece) and hands
    // a change of bar to the window's thread. The bars stay those of this press of Play,
    // whatever is thrown meanwhile.
    const std::uint32_t playback = ++playback_;
    auto lastBar = std::make_shared<std::atomic<int>>(kNoBar);
    PlayObserver observer = [this, playback, barEnds = std::move(barEnds), lastBar](
                                std::int32_t, std::int32_t elapsedTicks, const MusicEvent& event) {
        if (event.kind != kMidiNoteOn || event.velocity == 0) return;
        const auto after = std::upper_bound(barEnds.begin(), barEnds.end(), std::int64_t{elapsedTicks});
        const int bar = static_cast<int>(std::min<std::ptrdiff_t>(after - barEnds.begin(), DiceState::kBars - 1)) + 1;
        if (lastBar->exchange(bar) == bar) return;
        QMetaObject::invokeMethod(this, [this, playback, bar] { HighlightBar(playback, bar); },
                                  Qt::QueuedConnection);
    };
    PlayCompletion completion = [this, playback] {
        QMetaObject::invokeMethod(this, [this, playback] { HighlightBar(playback, kNoBar); },
                                  Qt::QueuedConnection);
        return OnPlayFinished();
    };
    ShowLoadingWhileItLasts();
    MusicPlayer::Play(std::move(sequence), std::move(completion), std::move(observer), trimmedTicks);
}

void DiceGameDialog::ShowLoadingWhileItLasts() {
    // The player's open of the device waits for the font, while the window is served: the
    // explanation says why nothing sounds yet, until the font is there.
    if (!instrumentsLoading_ || !instrumentsLoading_()) return;
    explanationText_->setText(Text(texts::kLoadingInstruments));
    if (loadingTimer_ == nullptr) {
        loadingTimer_ = new QTimer(this);
        loadingTimer_->setInterval(50);
        connect(loadingTimer_, &QTimer::timeout, this, [this] {
            if (instrumentsLoading_()) return;
            loadingTimer_->stop();
            explanationText_->setText(Text(texts::kExplanation));
        });
    }
    loadingTimer_->start();
}

void DiceGameDialog::StartLoadingInstruments() {
    // Quietly: a font that can not be had is said by Play, with every output tried.
    if (!SystemMidiOutputs().UsesBuiltInSynthesizer()) return;
    const SoundFontChoice::Result font = ProcessSoundFont().Resolve();
    if (font.problem.empty()) SynthEngines().Preload(font.path);
}

void DiceGameDialog::HighlightBar(std::uint32_t playback, int bar) {
    if (playback != playback_ || bar == nowPlayingBar_) return;
    auto mark = [this](int which, bool on) {
        if (which < 1 || which > DiceState::kBars) return;
        QLabel* label = barLabels_[which - 1];
        label->setAutoFillBackground(on);
        label->setBackgroundRole(on ? QPalette::Highlight : QPalette::Window);
        label->setForegroundRole(on ? QPalette::HighlightedText : QPalette::WindowText);
    };
    mark(nowPlayingBar_, false);
    mark(bar, true);
    nowPlayingBar_ = bar;
    if (scoreWindow_ != nullptr) scoreWindow_->HighlightBar(bar == kNoBar ? 0 : bar);
    if (nowPlayingListener_) nowPlayingListener_(bar);
}

void DiceGameDialog::OnStop() {
    const ScopedReportBatch oneBox;
    StopPlayback();
    HighlightBar(playback_, kNoBar);
    playButton_->setEnabled(true);
}

QString DiceGameDialog::SuggestedName() const {
    QString name = formCombo_->currentIndex() != 0 ? QStringLiteral("minuet") : QStringLiteral("dance");
    for (int id : DiceState::kSumLabelIds) {
        const QString sum = qobject_cast<QLabel*>(Item(id))->text();
        if (sum != Text(texts::kSumPlaceholder)) name += QLatin1Char('-') + sum;
    }
    return name;
}

bool DiceGameDialog::SaveAsMidi(const QString& path) {
    const auto folder = FindMeasures();
    if (!folder) return false;
    const ThrownPiece piece = ComposeThrownPiece(*folder);
    std::unique_ptr<MidiF0Data> sequence = piece.melody->MakeSequence(0, piece.endTick);
    if (sequence == nullptr) return false;
    // The file is written beside its place and put there only when complete: a failed write
    // leaves an existing file as it was.
    std::string problem;
    const bool written = MidiFileWriter::Write(*sequence, path.toStdString(), &problem);
    if (!written) ShowErrorMessage("The MIDI file " + path.toStdString() + " could not be written: " + problem);
    return written;
}

namespace {

// The release of the last notes and the room's reverberation, rendered after the end of the
// piece (as the command-line render does).
constexpr std::uint32_t kWavTailMs = 2000;

// The window's thread waits in real time while it serves its events, and leaves the render's
// clock alone: only the player's own waits move it, so the piece renders as fast as the
// synthesizer goes.
class ServingRealTimeWaits final : public WaitHook {
public:
    void WaitFor(std::chrono::milliseconds) override {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

}  // namespace

bool DiceGameDialog::SaveAsWav(const QString& path) {
    const auto folder = FindMeasures();
    if (!folder) return false;
    if (!MusicPlayer::Instance().IsIdle()) OnStop();  // the render needs the player

    const ThrownPiece piece = ComposeThrownPiece(*folder);
    std::int32_t trimmedTicks = 0;
    std::unique_ptr<MidiF0Data> sequence = piece.melody->MakeSequence(0, piece.endTick, &trimmedTicks);
    if (sequence == nullptr) return false;
    std::int64_t totalTicks = trimmedTicks;
    for (const auto& event : sequence->track->Events()) totalTicks += event.delta;

    const std::filesystem::path target = path.toStdString();
    // A place that takes no file is said at once, before the render.
    if (const AtomicFileWriter trial(target.string()); !trial.IsOpen()) {
        ShowErrorMessage("The WAV file " + target.string() + " could not be written: " + trial.Problem());
        return false;
    }
    QProgressDialog progress(QStringLiteral("Rendering the piece into %1…").arg(QString::fromStdString(target.filename().string())),
                             QStringLiteral("Cancel"), 0, 1000, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    std::atomic<std::int64_t> reached{0};
    std::atomic<bool> completed{false};
    std::atomic<bool> cancelled{false};
    bool written = false;
    {
        ManualClock clock;
        TimerService timers(clock);
        ScopedTimerService renderClock(timers);
        // The file is written beside the target and put in its place when the device closes,
        // only when the piece played to its end and every sample was written.
        WavRenderService service(target.string(), [&] { return completed && !cancelled; });
        ScopedMidiOutService renderOutput(service);
        ServingRealTimeWaits waits;
        ScopedWaitHook windowWaits(waits);
        MusicPlayer::Play(
            std::move(sequence),
            [&completed] {
                completed = true;
                SleepMilliseconds(kWavTailMs);
                return 0;
            },
            [&reached](std::int32_t, std::int32_t elapsedTicks, const MusicEvent&) { reached = elapsedTicks; },
            trimmedTicks);
        MusicPlayer& player = MusicPlayer::Instance();
        while (!player.IsIdle()) {
            if (totalTicks > 0) progress.setValue(static_cast<int>(std::min<std::int64_t>(reached * 1000 / totalTicks, 999)));
            if (progress.wasCanceled() && !cancelled) {
                cancelled = true;
                player.RequestStop();
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        player.WaitUntilIdle();
        written = service.Written();
    }
    progress.setValue(1000);
    // A file that could not be made or finished has been reported by the device, with why.
    return written;
}

void DiceGameDialog::CreateMenuActions() {
    // The game's own actions come first in the window menu; each has a shortcut that works
    // while the window has the focus, so the dialog's face stays as it is.
    QAction* first = systemMenu_->actions().value(0);
    stopAction_ = new QAction(QStringLiteral("S&top"), this);
    stopAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Period));
    connect(stopAction_, &QAction::triggered, this, [this] { OnStop(); });
    saveMidiAction_ = new QAction(QStringLiteral("Save as &MIDI…"), this);
    saveMidiAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(saveMidiAction_, &QAction::triggered, this, [this] {
        const QString path = fileChooser_(SuggestedName() + QStringLiteral(".mid"),
                                          QStringLiteral("Standard MIDI files (*.mid *.midi)"));
        const ScopedReportBatch oneBox;
        if (!path.isEmpty()) SaveAsMidi(path);
    });
    saveWavAction_ = new QAction(QStringLiteral("Save as &WAV…"), this);
    saveWavAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveWavAction_, &QAction::triggered, this, [this] {
        const QString path = fileChooser_(SuggestedName() + QStringLiteral(".wav"),
                                          QStringLiteral("WAV audio files (*.wav)"));
        const ScopedReportBatch oneBox;
        if (!path.isEmpty()) SaveAsWav(path);
    });
    QAction* scoreAction = new QAction(QStringLiteral("&Score"), this);
    scoreAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(scoreAction, &QAction::triggered, this, [this] { OnScore(); });
    for (QAction* action : {stopAction_, saveMidiAction_, saveWavAction_, scoreAction}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);  // the shortcut works without the menu open
        systemMenu_->insertAction(first, action);
    }
    outputMenu_ = new QMenu(QStringLiteral("&Output"), systemMenu_.get());
    systemMenu_->insertMenu(first, outputMenu_);
    connect(outputMenu_, &QMenu::aboutToShow, this, [this] { RefreshOutputMenu(); });
    systemMenu_->insertSeparator(first);
    RefreshOutputMenu();
}

namespace {

constexpr const char* kOutputKey = "output";
constexpr const char* kSoundFontKey = "soundFont";

QSettings GameSettings() { return QSettings(QStringLiteral("zamrit-dice-game"), QStringLiteral("ZamritDiceGame")); }

// What the Output menu stores: the built-in synthesizer or an ALSA port.
bool IsMenuChoice(const std::string& value) {
    constexpr std::string_view kAlsa = "alsa:";
    return value == "synth" || (value.size() > kAlsa.size() && value.starts_with(kAlsa));
}

}  // namespace

void DiceGameDialog::ApplySavedOutput() {
    // The settings file is the user's to edit, or anybody's to damage: only a value the menu
    // could have stored is taken. A file path (log:PATH, wav:PATH) would make Play overwrite
    // that file.
    const QSettings settings = GameSettings();
    const QVariant saved = settings.value(kOutputKey);
    const std::string value = saved.toString().toStdString();
    const bool unset = !saved.isValid() || (saved.typeId() == QMetaType::QString && value.empty());
    if (unset || IsMenuChoice(value)) {
        SystemMidiOutputs().SetChosenOutput(value);
    } else {
        SystemMidiOutputs().SetChosenOutput("");
        const std::string shown = saved.typeId() == QMetaType::QString ? value : saved.toStringList().join(QLatin1Char(',')).toStdString();
        ShowErrorMessage("The saved output \"" + shown + "\" in " + settings.fileName().toStdString() +
                         " is not one the Output menu chooses (synth or alsa:PORT): it is ignored.");
    }
    ApplySavedSoundFont(settings);
}

void DiceGameDialog::ApplySavedSoundFont(const QSettings& settings) {
    // Only a SoundFont file that is there is taken; the best one installed plays otherwise.
    const QVariant saved = settings.value(kSoundFontKey);
    ProcessSoundFont().SetMenuChoice("");
    if (!saved.isValid()) return;
    const bool isText = saved.typeId() == QMetaType::QString;
    const std::string font = saved.toString().toStdString();
    if (isText && font.empty()) return;
    const std::filesystem::path path(font);
    std::error_code error;
    const bool isFont = isText && (path.extension() == ".sf2" || path.extension() == ".sf3");
    if (isFont && std::filesystem::is_regular_file(path, error)) {
        ProcessSoundFont().SetMenuChoice(font);
        return;
    }
    const std::string shown = isText ? font : saved.toStringList().join(QLatin1Char(',')).toStdString();
    ShowErrorMessage("The saved SoundFont \"" + shown + "\" in " + settings.fileName().toStdString() +
                     (isFont ? " no longer exists" : " is not a SoundFont file (.sf2 or .sf3)") +
                     ": it is ignored, and the best one installed is played.");
}

void DiceGameDialog::RefreshOutputMenu() {
    // The built-in synthesizer and every ALSA port there is now; the output in use is marked.
    outputMenu_->clear();
    const std::optional<std::string> fromEnvironment = SystemMidiOutService::EnvironmentSetting();
    std::string inUse = SystemMidiOutputs().Setting();
    if (inUse.empty()) inUse = "synth";
    if (fromEnvironment) {
        QAction* note = outputMenu_->addAction(
            QStringLiteral("Chosen by ZAMRIT_MIDI_OUT=%1").arg(QString::fromStdString(*fromEnvironment)));
        note->setEnabled(false);
        outputMenu_->addSeparator();
    }
    std::vector<std::pair<QString, std::string>> choices{{QStringLiteral("&Built-in synthesizer"), "synth"}};
    for (const std::string& port : AlsaMidiOutput::PortNames()) {
        choices.emplace_back(QStringLiteral("ALSA: ") + QString::fromStdString(port), "alsa:" + port);
    }
    auto* group = new QActionGroup(outputMenu_);
    for (const auto& choice : choices) {
        const std::string setting = choice.second;
        QAction* item = outputMenu_->addAction(choice.first);
        item->setCheckable(true);
        item->setChecked(setting == inUse);
        item->setEnabled(!fromEnvironment);
        item->setActionGroup(group);
        connect(item, &QAction::triggered, this, [setting] {
            SystemMidiOutputs().SetChosenOutput(setting);
            GameSettings().setValue(kOutputKey, QString::fromStdString(setting));
            StartLoadingInstruments();
        });
    }
    AddSoundFontItems();
}

void DiceGameDialog::AddSoundFontItems() {
    // The built-in synthesizer's fonts, best first, by file name; the one it plays is marked.
    outputMenu_->addSeparator();
    const std::optional<std::string> fromEnvironment = SoundFontChoice::EnvironmentSetting();
    if (fromEnvironment) {
        QAction* note = outputMenu_->addAction(
            QStringLiteral("Instruments chosen by %1=%2")
                .arg(QString::fromUtf8(SoundFontChoice::kVariable), QString::fromStdString(*fromEnvironment)));
        note->setEnabled(false);
    }
    const std::vector<std::string> fonts = ProcessSoundFont().Finder().Fonts();
    if (fonts.empty()) {
        outputMenu_->addAction(QStringLiteral("No SoundFont installed (fluid-soundfont-gm has one)"))->setEnabled(false);
        return;
    }
    const std::string inUse = ProcessSoundFont().Resolve().path;
    auto* group = new QActionGroup(outputMenu_);
    for (const std::string& font : fonts) {
        const QString name = QString::fromStdString(std::filesystem::path(font).filename().string());
        QAction* item = outputMenu_->addAction(QStringLiteral("Instruments: ") + name);
        item->setCheckable(true);
        item->setChecked(font == inUse);
        item->setEnabled(!fromEnvironment);
        item->setActionGroup(group);
        connect(item, &QAction::triggered, this, [font] {
            ProcessSoundFont().SetMenuChoice(font);
            GameSettings().setValue(kSoundFontKey, QString::fromStdString(font));
            StartLoadingInstruments();
        });
    }
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
    // What stopping reports is held while the window goes (no box flashes up and vanishes with
    // it), and is shown when it is next shown, or written to standard error at the end.
    const ScopedReportBatch oneBox;
    StopPlayback();
    QDialog::done(result);
}

void DiceGameDialog::OnHelp() {
    const ScopedReportBatch oneBox;
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
        OnSysCommand(chosen->data().toUInt(), 0);
    }
}

}  // namespace zamrit
