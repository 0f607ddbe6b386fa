#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QDialog>
#include <QIcon>
#include <QMenu>

#include "app/DiceState.h"
#include "app/DialogTemplate.h"
#include "app/RuntimeRandom.h"
#include "app/ThrownPiece.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSettings;
class QTimer;

namespace zamrit {

class HelpViewer;
class ScoreWindow;
class MobileData;

// The main window: the 32 bars with their dice sums, the form choice and the four buttons
// (template 102). Controls are reached by their ids, as the handlers name them.
class DiceGameDialog : public QDialog {
public:
    static constexpr int kQuitId = 1;
    static constexpr int kCreateId = 1016;
    static constexpr int kPlayId = 1017;
    static constexpr int kFormComboId = 1052;
    static constexpr int kHelpId = 1067;
    static constexpr int kExplanationId = 1068;
    static constexpr std::uint32_t kAboutCommand = 0x10;
    static constexpr std::uint32_t kCloseCommand = 0xF060;
    static constexpr std::uint32_t kMinimizeCommand = 0xF020;
    static constexpr std::uint32_t kRestoreCommand = 0xF120;
    static constexpr int kNoBar = -1;

    // The ids of the 32 bar labels, in bar order.
    static constexpr std::array<int, DiceState::kBars> kBarLabelIds{
        1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007,  // bars 1-8
        1018, 1019, 1020, 1021, 1022, 1023, 1024, 1025,  // bars 9-16
        1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041,  // bars 17-24
        1050, 1051, 1053, 1054, 1055, 1056, 1057, 1058,  // bars 25-32
    };

    // seedSource gives the seed of the dice generator when the dialog initialises (the current
    // time in seconds by default).
    explicit DiceGameDialog(HelpViewer& helpViewer,
                            std::function<std::uint32_t()> seedSource = CurrentTimeSeed);
    ~DiceGameDialog() override;

    static std::uint32_t CurrentTimeSeed();

    QWidget* Item(int id) const { return template_.Item(id); }
    std::size_t ControlCount() const { return template_.ControlCount(); }
    const DiceState& Dice() const { return dice_; }
    QMenu& SystemMenu() { return *systemMenu_; }
    QAction& StopAction() const { return *stopAction_; }
    QAction& SaveMidiAction() const { return *saveMidiAction_; }
    QAction& SaveWavAction() const { return *saveWavAction_; }
    // The Output submenu; its items are made anew each time it opens.
    QMenu& OutputMenu() const { return *outputMenu_; }
    void RefreshOutputMenu();
    // The output and the SoundFont chosen in the Output menu, kept across runs; applied to the
    // system's MIDI outputs at start (ZAMRIT_MIDI_OUT and ZAMRIT_SOUNDFONT, when set, still win).
    static void ApplySavedOutput();
    // Starts loading the built-in synthesizer's font on a thread of its own, when the output
    // in force plays it, so that Play finds it ready.
    static void StartLoadingInstruments();
    // Whether the synthesizer's font is still loading (SynthEngines().Loading() by default):
    // a press of Play meanwhile shows "Loading instruments…" until it is done, while the
    // player's open of the device waits for the font.
    void SetInstrumentsLoading(std::function<bool()> loading) { instrumentsLoading_ = std::move(loading); }

    // The folders Play looks in for the measure files, in order (MeasureFolder::Candidates of
    // the program's folder by default).
    void SetMeasureFolders(std::vector<std::filesystem::path> folders) { measureFolders_ = std::move(folders); }
    // Asks for the file a "Save as" item writes: the suggested name and the file-type filter
    // in, the chosen path out (empty: cancelled). A standard file dialog by default.
    using FileChooser = std::function<QString(const QString& suggested, const QString& filter)>;
    void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
    // Told of every change of the highlighted bar (1-32, or kNoBar once the piece is over).
    void SetNowPlayingListener(std::function<void(int bar)> listener) { nowPlayingListener_ = std::move(listener); }
    int NowPlayingBar() const { return nowPlayingBar_; }

    void ThrowDice();
    void OnPlay();
    // Stops the music at once and enables Play as soon as the player is idle.
    void OnStop();
    // Writes the thrown piece, as Play would send it, as a Standard MIDI File; false (after a
    // message saying why) when it can not be written. An existing file is replaced only once
    // the new one is complete.
    bool SaveAsMidi(const QString& path);
    // Renders the thrown piece with the built-in synthesizer into a WAV file, faster than
    // real time, with the player's own timing, under a progress dialog that can cancel it.
    // Music still playing stops first. The file appears only once the render is complete:
    // a cancelled or failed render leaves nothing behind (and an existing file as it was).
    // False when nothing was written.
    bool SaveAsWav(const QString& path);
    // The name a "Save as" item suggests: the form and the thrown sums, e.g. "minuet-7-11-3-...".
    QString SuggestedName() const;
    void OnHelp();
    void OnSysCommand(std::uint32_t id, std::intptr_t param);
    // Opens the score window beside the dialog (Ctrl+K), showing the thrown piece; it follows
    // every later throw while it is open.
    void OnScore();
    ScoreWindow* Score() const { return scoreWindow_.get(); }

    // Closing the window stops a running playback and waits for its worker.
    void done(int result) override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    QPushButton& PlayButton() const { return *playButton_; }
    QComboBox& FormCombo() const { return *formCombo_; }
    DiceState& MutableDice() { return dice_; }

private:
    void CreateControls();
    void CreateMenuActions();
    void UpdateScore();
    void StopPlayback();
    std::optional<std::filesystem::path> FindMeasures();
    ThrownPiece ComposeThrownPiece(const std::filesystem::path& folder) const;
    // Marks the bar heard in the platform's highlight colour (kNoBar: none); a call left
    // over from an earlier press of Play changes nothing.
    void HighlightBar(std::uint32_t playback, int bar);
    void ShowLoadingWhileItLasts();
    static void ApplySavedSoundFont(const QSettings& settings);
    void AddSoundFontItems();
    void OnInitDialog();
    void SetItemText(int id, std::string_view text);
    void SetItemInt(int id, std::int32_t value);

    DialogTemplate template_;
    HelpViewer& helpViewer_;
    std::function<std::uint32_t()> seedSource_;
    RuntimeRandom random_;
    DiceState dice_;
    QIcon icon_;
    std::unique_ptr<QMenu> systemMenu_;
    std::unique_ptr<ScoreWindow> scoreWindow_;
    QAction* stopAction_ = nullptr;
    QAction* saveMidiAction_ = nullptr;
    QAction* saveWavAction_ = nullptr;
    QMenu* outputMenu_ = nullptr;
    std::vector<std::filesystem::path> measureFolders_;
    FileChooser fileChooser_;
    std::function<void(int)> nowPlayingListener_;
    std::function<bool()> instrumentsLoading_;
    QTimer* loadingTimer_ = nullptr;
    int nowPlayingBar_ = kNoBar;
    std::uint32_t playback_ = 0;  // counts the presses of Play

    QPushButton* quitButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QPushButton* createButton_ = nullptr;
    QPushButton* playButton_ = nullptr;
    QComboBox* formCombo_ = nullptr;
    QLabel* explanationText_ = nullptr;
    std::array<QLabel*, DiceState::kBars> barLabels_{};
};

}  // namespace zamrit
