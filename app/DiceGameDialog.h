#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QDialog>
#include <QIcon>
#include <QMenu>

#include "app/DiceState.h"
#include "app/DialogTemplate.h"
#include "app/RuntimeRandom.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace zamrit {

class HelpViewer;
class ScoreWindow;

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
    static constexpr std::uint32_t kScoreCommand = 0x20;
    static constexpr std::uint32_t kCloseCommand = 0xF060;
    static constexpr std::uint32_t kMinimizeCommand = 0xF020;
    static constexpr std::uint32_t kRestoreCommand = 0xF120;
    static constexpr std::int32_t kPieceVoiceType = 4;
    static constexpr std::uint32_t kPieceCapacity = 0x60000;

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

    void ThrowDice();
    void OnPlay();
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
    void StopPlayback();
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

    QPushButton* quitButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QPushButton* createButton_ = nullptr;
    QPushButton* playButton_ = nullptr;
    QComboBox* formCombo_ = nullptr;
    QLabel* explanationText_ = nullptr;
    std::array<QLabel*, DiceState::kBars> barLabels_{};
};

}  // namespace zamrit
