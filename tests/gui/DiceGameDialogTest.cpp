#include <filesystem>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

#include "app/AboutDialog.h"
#include "app/DiceGameDialog.h"
#include "app/DialogTexts.h"
#include "app/DialogUnits.h"
#include "gui/ModalWatcher.h"
#include "platform/HelpViewer.h"
#include "platform/SoundFontChoice.h"
#include "platform/SystemMidiOutService.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

constexpr std::uint32_t kSeed = 12345;

QString LabelText(const DiceGameDialog& dialog, int id) {
    auto* label = qobject_cast<QLabel*>(dialog.Item(id));
    return label != nullptr ? label->text() : QStringLiteral("<no label>");
}

QStringList SumLabels(const DiceGameDialog& dialog) {
    QStringList texts;
    for (int id : DiceState::kSumLabelIds) texts << LabelText(dialog, id);
    return texts;
}

// The labels a throw of the dice core gives, for comparison with the window's.
QStringList ExpectedLabels(const DiceState::Labels& labels) {
    QStringList texts;
    for (const auto& label : labels) texts << QString::fromStdString(DiceState::LabelText(label));
    return texts;
}

class DiceGameDialogTest : public ::testing::Test {
protected:
    std::filesystem::path emptyFolder_ = std::filesystem::temp_directory_path();
    HelpViewer noHelp_{{emptyFolder_ / "no-help-here"}};
    DiceGameDialog dialog_{noHelp_, [] { return kSeed; }};

    QPushButton& Button(int id) { return *qobject_cast<QPushButton*>(dialog_.Item(id)); }
    QComboBox& Combo() { return *qobject_cast<QComboBox*>(dialog_.Item(DiceGameDialog::kFormComboId)); }
};

TEST_F(DiceGameDialogTest, StartsWithTextsControlsAndADanceThrow) {
    EXPECT_EQ(dialog_.ControlCount(), 70u);
    EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("Zamrit Music Dice Game"));
    EXPECT_EQ(Button(DiceGameDialog::kCreateId).text(), QStringLiteral("Create"));
    EXPECT_EQ(Button(DiceGameDialog::kPlayId).text(), QStringLiteral("Play"));
    EXPECT_EQ(Button(DiceGameDialog::kQuitId).text(), QStringLiteral("Quit"));
    EXPECT_EQ(Button(DiceGameDialog::kHelpId).text(), QStringLiteral("Help"));
    EXPECT_TRUE(Button(DiceGameDialog::kQuitId).isDefault());
    EXPECT_EQ(LabelText(dialog_, DiceGameDialog::kExplanationId),
              QStringLiteral("The number under the bar's number is the sum of two dices."));
    for (int bar = 1; bar <= 32; ++bar) {
        EXPECT_EQ(LabelText(dialog_, DiceGameDialog::kBarLabelIds[bar - 1]),
                  QStringLiteral("Bar %1").arg(bar));
    }
    ASSERT_EQ(Combo().count(), 2);
    EXPECT_EQ(Combo().itemText(0), QStringLiteral("Dance"));
    EXPECT_EQ(Combo().itemText(1), QStringLiteral("Minuet / Trio"));
    EXPECT_EQ(Combo().currentIndex(), 0);

    // The seeded generator's first Dance throw; bars 9-16 repeat 1-8, bars 25-32 show "-".
    RuntimeRandom random(kSeed);
    DiceState expected;
    const QStringList labels = SumLabels(dialog_);
    EXPECT_EQ(labels, ExpectedLabels(expected.Throw(PieceForm::Dance, random)));
    EXPECT_EQ(labels.mid(8, 8), labels.mid(0, 8));
    EXPECT_EQ(labels.mid(24, 8), QStringList(8, QStringLiteral("-")));
    EXPECT_EQ(dialog_.Dice().firstDie, expected.firstDie);
}

TEST_F(DiceGameDialogTest, LaysControlsOutInDialogUnitsOfTheDialogFont) {
    const DialogUnits units(dialog_.font());
    EXPECT_EQ(dialog_.size(), QSize(units.X(323), units.Y(280)));
    EXPECT_EQ(dialog_.Item(DiceGameDialog::kPlayId)->geometry(), units.ToPixels(100, 248, 80, 25));
    EXPECT_EQ(dialog_.Item(1058)->geometry(), units.ToPixels(5 + 40 * 7, 175, 35, 15));  // Bar 32
    EXPECT_EQ(dialog_.Item(1066)->geometry(), units.ToPixels(5 + 40 * 7, 195, 35, 20));  // its sum
    EXPECT_EQ(dialog_.Item(DiceGameDialog::kFormComboId)->pos(), units.ToPixels(5, 5, 0, 0).topLeft());
    auto* sum = qobject_cast<QLabel*>(dialog_.Item(1008));
    EXPECT_EQ(sum->alignment(), Qt::AlignCenter);

    const QFontInfo shown(dialog_.font());
    if (QFontDatabase::families().contains(QStringLiteral("IPAPGothic"))) {
        EXPECT_EQ(shown.family(), QStringLiteral("IPAPGothic"));
    }
}

TEST_F(DiceGameDialogTest, QuitHasTheFocusAndTabsRunInTemplateOrder) {
    dialog_.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
    QWidget* focus = QApplication::focusWidget();
    EXPECT_EQ(focus, dialog_.Item(DiceGameDialog::kQuitId));
    for (int id : {DiceGameDialog::kCreateId, DiceGameDialog::kPlayId,
                   DiceGameDialog::kFormComboId, DiceGameDialog::kHelpId, DiceGameDialog::kQuitId}) {
        focus = focus->nextInFocusChain();
        while (focus->focusPolicy() == Qt::NoFocus) focus = focus->nextInFocusChain();
        EXPECT_EQ(focus, dialog_.Item(id)) << id;
    }
}

TEST_F(DiceGameDialogTest, ChoosingMinuetTrioThrowsAtOnceAndCreateThrowsAgain) {
    RuntimeRandom random(kSeed);
    DiceState expected;
    expected.Throw(PieceForm::Dance, random);

    Combo().setCurrentIndex(1);
    QStringList labels = SumLabels(dialog_);
    EXPECT_EQ(labels, ExpectedLabels(expected.Throw(PieceForm::MinuetTrio, random)));
    for (int bar = 17; bar <= 32; ++bar) {
        const int die = labels[bar - 1].toInt();
        EXPECT_TRUE(die >= 1 && die <= 6) << bar;
    }

    QTest::mouseClick(&Button(DiceGameDialog::kCreateId), Qt::LeftButton);
    EXPECT_EQ(SumLabels(dialog_), ExpectedLabels(expected.Throw(PieceForm::MinuetTrio, random)));

    Combo().setCurrentIndex(0);
    labels = SumLabels(dialog_);
    EXPECT_EQ(labels, ExpectedLabels(expected.Throw(PieceForm::Dance, random)));
    EXPECT_EQ(labels.mid(24, 8), QStringList(8, QStringLiteral("-")));
}

TEST_F(DiceGameDialogTest, AboutCommandAndItsMaskedFormsOpenTheAboutBox) {
    const QStringList before = SumLabels(dialog_);
    struct Case {
        std::uint32_t command;
        bool opens;
    };
    for (const Case& c : {Case{0x10, true}, Case{0x13, true}, Case{0x1F, true},
                          Case{0x20, false}, Case{0x00, false}, Case{0xF010, false}}) {
        testing::ModalWatcher watcher([](QWidget& modal) {
            auto* about = dynamic_cast<AboutDialog*>(&modal);
            ASSERT_NE(about, nullptr);
            QTest::keyClick(about, Qt::Key_Escape);
        });
        dialog_.OnSysCommand(c.command, 0);
        EXPECT_EQ(watcher.Seen(), c.opens ? 1 : 0) << std::hex << c.command;
    }
    EXPECT_EQ(SumLabels(dialog_), before);
}

TEST_F(DiceGameDialogTest, WindowMenuCarriesTheAboutItemAndItsMnemonic) {
    QMenu& menu = dialog_.SystemMenu();
    QAction* about = menu.actions().last();
    EXPECT_EQ(about->text(), QStringLiteral("ZamritDiceGame のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
    EXPECT_EQ(about->data().toUInt(), DiceGameDialog::kAboutCommand);
    EXPECT_TRUE(menu.actions()[menu.actions().size() - 2]->isSeparator());

    dialog_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
    bool aboutShown = false;
    testing::ModalWatcher watcher([&](QWidget& modal) {
        aboutShown = dynamic_cast<AboutDialog*>(&modal) != nullptr;
        modal.close();
    });
    // Right click, then the menu's mnemonic chooses the about item.
    QTimer::singleShot(100, &menu, [&menu] { QTest::keyClick(&menu, Qt::Key_A); });
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(20, 20), dialog_.mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(&dialog_, &rightClick);
    QTRY_VERIFY(aboutShown);
}

TEST(AboutDialogTest, ShowsIconVersionLineAndOk) {
    AboutDialog about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("ZamritDiceGameのﾊﾞｰｼﾞｮﾝ情報"));
    auto* version = about.findChild<QLabel*>(QStringLiteral("aboutVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QStringLiteral("ZamritDiceGame Version 1.0"));
    auto* icon = about.findChild<QLabel*>(QStringLiteral("aboutIcon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));
    auto* ok = qobject_cast<QPushButton*>(about.Item(AboutDialog::kOkId));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());

    testing::ModalWatcher watcher([](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Return); });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
}

TEST_F(DiceGameDialogTest, HelpWithoutAHelpFileShowsNothingNowAndLater) {
    testing::RecordedReports reports;
    dialog_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
    for (int press = 0; press < 2; ++press) {
        QTest::mouseClick(&Button(DiceGameDialog::kHelpId), Qt::LeftButton);
        QTest::qWait(50);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            EXPECT_TRUE(window == &dialog_ || !window->isVisible()) << window->metaObject()->className();
        }
    }
    EXPECT_TRUE(reports.Lines().empty());
}

TEST_F(DiceGameDialogTest, QuitEscapeAndTheCloseCommandEndTheDialog) {
    struct Case {
        std::function<void(DiceGameDialog&)> close;
        int result;
    };
    const Case cases[] = {
        {[](DiceGameDialog& d) { QTest::mouseClick(d.Item(DiceGameDialog::kQuitId), Qt::LeftButton); }, QDialog::Accepted},
        {[](DiceGameDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QDialog::Rejected},
        {[](DiceGameDialog& d) { d.OnSysCommand(DiceGameDialog::kCloseCommand, 0); }, QDialog::Rejected},
    };
    for (const Case& c : cases) {
        testing::ModalWatcher watcher([&](QWidget&) { c.close(dialog_); });
        EXPECT_EQ(dialog_.exec(), c.result);
        EXPECT_FALSE(dialog_.isVisible());
    }
}

// The Output submenu lists the built-in synthesizer and the ALSA ports and marks the output in
// use; a choice is kept across runs; ZAMRIT_MIDI_OUT, when set, wins and the menu says so.
TEST_F(DiceGameDialogTest, OutputMenuChoosesKeepsAndYieldsToTheEnvironment) {
    const auto settings = std::filesystem::temp_directory_path() / ("zamrit-settings-" + std::to_string(::getpid()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settings.string()));
    const char* previous = std::getenv(SystemMidiOutService::kSettingName);
    const std::string saved = previous != nullptr ? previous : "";
    ::unsetenv(SystemMidiOutService::kSettingName);
    SystemMidiOutputs().SetChosenOutput("");

    dialog_.RefreshOutputMenu();
    QList<QAction*> items = dialog_.OutputMenu().actions();
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0]->text(), QStringLiteral("&Built-in synthesizer"));
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_TRUE(items[0]->isEnabled());
    // The ports, up to the fonts' separator.
    for (int i = 1; i < items.size() && !items[i]->isSeparator(); ++i) {
        EXPECT_TRUE(items[i]->text().startsWith(QStringLiteral("ALSA: ")));
    }

    items[0]->trigger();
    EXPECT_EQ(SystemMidiOutputs().Setting(), "synth");
    SystemMidiOutputs().SetChosenOutput("");
    DiceGameDialog::ApplySavedOutput();  // the next run
    EXPECT_EQ(SystemMidiOutputs().Setting(), "synth");

    ::setenv(SystemMidiOutService::kSettingName, "log:/tmp/zamrit-out.log", 1);
    dialog_.RefreshOutputMenu();
    items = dialog_.OutputMenu().actions();
    EXPECT_EQ(items[0]->text(), QStringLiteral("Chosen by ZAMRIT_MIDI_OUT=log:/tmp/zamrit-out.log"));
    EXPECT_FALSE(items[0]->isEnabled());
    EXPECT_FALSE(items[2]->isEnabled());  // the synthesizer, after the separator
    EXPECT_FALSE(items[2]->isChecked());
    EXPECT_EQ(SystemMidiOutputs().Setting(), "log:/tmp/zamrit-out.log");

    if (previous != nullptr) {
        ::setenv(SystemMidiOutService::kSettingName, saved.c_str(), 1);
    } else {
        ::unsetenv(SystemMidiOutService::kSettingName);
    }
    SystemMidiOutputs().SetChosenOutput("");
    std::filesystem::remove_all(settings);
}

// The Output menu lists the synthesizer's fonts found, best first, by file name, and marks the
// one played; a choice is kept across runs, and read back only while it is a font file that is
// there (one message otherwise, and the best font plays).
TEST_F(DiceGameDialogTest, OutputMenuListsTheFontsAndKeepsOnlyAFontThatIsThere) {
    const auto folder = std::filesystem::temp_directory_path() / ("zamrit-saved-font-" + std::to_string(::getpid()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(folder.string()));
    ::unsetenv(SoundFontChoice::kVariable);
    const std::vector<std::string> fonts = ProcessSoundFont().Finder().Fonts();
    if (fonts.size() < 2) GTEST_SKIP() << "fewer than two General MIDI SoundFonts installed";

    dialog_.RefreshOutputMenu();
    std::vector<QAction*> items;
    for (QAction* item : dialog_.OutputMenu().actions()) {
        if (item->text().startsWith(QStringLiteral("Instruments: "))) items.push_back(item);
    }
    ASSERT_EQ(items.size(), fonts.size());
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        EXPECT_EQ(items[i]->text().toStdString(), "Instruments: " + std::filesystem::path(fonts[i]).filename().string());
        EXPECT_EQ(items[i]->isChecked(), i == 0);
    }
    items.back()->trigger();
    EXPECT_EQ(ProcessSoundFont().Resolve().path, fonts.back());
    ProcessSoundFont().SetMenuChoice("");
    {
        testing::RecordedReports reports;
        DiceGameDialog::ApplySavedOutput();  // the next run
        EXPECT_EQ(ProcessSoundFont().Resolve().path, fonts.back());
        EXPECT_TRUE(reports.Lines().empty());
    }

    const struct {
        std::string saved;
        std::string said;
    } damaged[] = {
        {(folder / "gone.sf2").string(), "no longer exists"},
        {"/etc/passwd", "is not a SoundFont file (.sf2 or .sf3)"},
    };
    for (const auto& c : damaged) {
        QSettings settings(QStringLiteral("zamrit-dice-game"), QStringLiteral("ZamritDiceGame"));
        settings.setValue(QStringLiteral("soundFont"), QString::fromStdString(c.saved));
        settings.sync();
        testing::RecordedReports reports;
        DiceGameDialog::ApplySavedOutput();
        EXPECT_EQ(ProcessSoundFont().Resolve().path, fonts.front()) << c.saved;
        ASSERT_EQ(reports.Lines().size(), 1U) << c.saved;
        EXPECT_NE(reports.Lines()[0].find('"' + c.saved + "\" in " + settings.fileName().toStdString() + " " + c.said),
                  std::string::npos)
            << reports.Lines()[0];
    }
    ProcessSoundFont().SetMenuChoice("");
    SystemMidiOutputs().SetChosenOutput("");
    std::filesystem::remove_all(folder);
}

// The settings file is anybody's to edit: only what the Output menu stores (the synthesizer or
// an ALSA port) is taken from it. Anything else, a file that Play would overwrite above all,
// is ignored with one message naming the settings file.
TEST_F(DiceGameDialogTest, ASavedOutputIsTakenOnlyWhenTheOutputMenuCouldHaveStoredIt) {
    const auto folder = std::filesystem::temp_directory_path() / ("zamrit-saved-output-" + std::to_string(::getpid()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(folder.string()));
    const char* previous = std::getenv(SystemMidiOutService::kSettingName);
    const std::string environment = previous != nullptr ? previous : "";
    ::unsetenv(SystemMidiOutService::kSettingName);
    const std::string victim = (folder / "victim.txt").string();
    struct Case {
        std::string saved, taken;
        bool reported;
    };
    const Case cases[] = {
        {"synth", "synth", false}, {"alsa:Midi Through", "alsa:Midi Through", false}, {"", "", false},
        {"log:" + victim, "", true}, {"wav:" + victim, "", true}, {"none", "", true},
        {"alsa:", "", true},         {"fluid", "", true},
    };
    for (const Case& c : cases) {
        QSettings settings(QStringLiteral("zamrit-dice-game"), QStringLiteral("ZamritDiceGame"));
        settings.setValue(QStringLiteral("output"), QString::fromStdString(c.saved));
        settings.sync();
        SystemMidiOutputs().SetChosenOutput("synth");  // left over: the saved value replaces it
        testing::RecordedReports reports;
        DiceGameDialog::ApplySavedOutput();
        EXPECT_EQ(SystemMidiOutputs().Setting(), c.taken) << c.saved;
        if (!c.reported) {
            EXPECT_TRUE(reports.Lines().empty()) << c.saved;
            continue;
        }
        ASSERT_EQ(reports.Lines().size(), 1U) << c.saved;
        const std::string line = reports.Lines()[0];
        EXPECT_NE(line.find(settings.fileName().toStdString()), std::string::npos) << line;
        EXPECT_NE(line.find('"' + c.saved + '"'), std::string::npos) << line;
        EXPECT_EQ(line.find(SystemMidiOutService::kSettingName), std::string::npos) << line;
    }
    EXPECT_FALSE(std::filesystem::exists(victim));

    if (previous != nullptr) ::setenv(SystemMidiOutService::kSettingName, environment.c_str(), 1);
    SystemMidiOutputs().SetChosenOutput("");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zamrit
