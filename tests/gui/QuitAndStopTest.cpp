#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/DiceGameDialog.h"
#include "app/PlaybackHandoff.h"
#include "melody/MobileData.h"
#include "midiout/MusicPlayer.h"
#include "platform/HelpViewer.h"
#include "platform/MidiShortMessage.h"
#include "platform/RecordingMidiOutService.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

namespace fs = std::filesystem;

// The moments of a press of Play at which the window may be closed or the music stopped.
enum class Moment { Request, DeviceOpen, PreRoll, Playing };

// A recording MIDI output that calls `atMoment` once, on the player's thread, when the
// playback reaches the moment, and then holds that thread there for a while, so that what
// the window does meanwhile happens at that very moment.
class MomentOutService final : public MidiOutService {
public:
    MomentOutService(Moment moment, std::function<void()> atMoment)
        : moment_(moment), atMoment_(std::move(atMoment)) {}

    std::uint32_t DeviceCount() override { return 1; }
    std::unique_ptr<MidiOutput> Open(std::int32_t id) override {
        if (moment_ == Moment::DeviceOpen) Reach();
        auto device = recorder_.Open(id);
        return device == nullptr ? nullptr : std::make_unique<Watched>(*this, std::move(device));
    }

    bool Reached() const { return reached_; }
    std::vector<std::string> Messages() const { return recorder_.Messages(); }
    int NoteOns() const {
        int count = 0;
        for (const std::string& message : Messages()) {
            count += message.size() == 8 && message[0] == '9' && message.compare(6, 2, "00") != 0;
        }
        return count;
    }

private:
    class Watched final : public MidiOutput {
    public:
        Watched(MomentOutService& service, std::unique_ptr<MidiOutput> device)
            : service_(service), device_(std::move(device)) {}
        bool SendShort(std::uint32_t packed) override {
            const bool noteOn = (packed & 0xF0) == 0x90 && ((packed >> 16) & 0x7F) != 0;
            if (service_.moment_ == (noteOn ? Moment::Playing : Moment::PreRoll)) service_.Reach();
            return device_->SendShort(packed);
        }
        bool SendLong(std::span<const std::uint8_t> message) override { return device_->SendLong(message); }
        bool Reset() override { return device_->Reset(); }
        bool Close() override { return device_->Close(); }

    private:
        MomentOutService& service_;
        std::unique_ptr<MidiOutput> device_;
    };

    void Reach() {
        if (reached_.exchange(true)) return;
        atMoment_();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }

    Moment moment_;
    std::function<void()> atMoment_;
    std::atomic<bool> reached_{false};
    RecordingMidiOutService recorder_{1};
};

// The game in the build's folder of generated measure files, whose Dance lasts over 20 s.
class QuitAndStopTest : public ::testing::Test {
protected:
    void StartDialog() {
        dialog_ = std::make_unique<DiceGameDialog>(noHelp_, [] { return 2026u; });
        dialog_->SetMeasureFolders({ZAMRIT_MEASURE_DIR});
        dialog_->show();
        // Shortcuts reach the active window only, as a user's keys do: without this wait the
        // window's activation may be handled after the Stop key it should receive.
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    }
    QPushButton& PlayButton() { return *qobject_cast<QPushButton*>(dialog_->Item(DiceGameDialog::kPlayId)); }
    void QueueOnWindow(std::function<void()> call) {
        QMetaObject::invokeMethod(dialog_.get(), std::move(call), Qt::QueuedConnection);
    }

    HelpViewer noHelp_{{"/nonexistent-folder"}};
    std::unique_ptr<DiceGameDialog> dialog_;
};

const char* MomentName(Moment moment) {
    switch (moment) {
        case Moment::Request: return "request";
        case Moment::DeviceOpen: return "device open";
        case Moment::PreRoll: return "pre-roll";
        case Moment::Playing: return "playing";
    }
    return "";
}

// Closing the window (what Quit, Escape and the close box do) stops the music at every moment
// of a press of Play: the piece does not go on to its end before the window goes.
TEST_F(QuitAndStopTest, ClosingAtEveryMomentOfPlayStopsTheMusic) {
    for (Moment moment : {Moment::Request, Moment::DeviceOpen, Moment::PreRoll, Moment::Playing}) {
        testing::RecordedReports reports;
        StartDialog();
        DiceGameDialog* dialog = dialog_.get();
        MomentOutService service(moment, [this, dialog] { QueueOnWindow([dialog] { dialog->reject(); }); });
        ScopedMidiOutService installed(service);
        if (moment == Moment::Request) QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });

        QTest::mouseClick(&PlayButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog_->isVisible(), 60000);
        MusicPlayer::Instance().WaitUntilIdle();

        EXPECT_TRUE(moment == Moment::Request || service.Reached()) << MomentName(moment);
        EXPECT_LE(service.NoteOns(), 3) << MomentName(moment);  // a whole Dance has over 150
        const std::vector<std::string> messages = service.Messages();
        if (!messages.empty()) {
            EXPECT_EQ(messages.back(), "close") << MomentName(moment);
        }
        EXPECT_EQ(PlaybackHandoff::Instance().TakeMelody(), nullptr) << MomentName(moment);
        EXPECT_TRUE(reports.Lines().empty()) << MomentName(moment);
        dialog_.reset();
    }
}

// Stop ends the music at once, at every moment, and Play is at hand again without the pause.
TEST_F(QuitAndStopTest, StopEndsTheMusicAtEveryMomentAndPlayComesBackAtOnce) {
    for (Moment moment : {Moment::DeviceOpen, Moment::PreRoll, Moment::Playing}) {
        StartDialog();
        DiceGameDialog* dialog = dialog_.get();
        std::atomic<bool> stopped{false};
        MomentOutService service(moment, [this, dialog, &stopped] {
            QueueOnWindow([dialog, &stopped] {
                QTest::keyClick(dialog, Qt::Key_Period, Qt::ControlModifier);  // the Stop shortcut
                stopped = true;
            });
        });
        ScopedMidiOutService installed(service);

        QTest::mouseClick(&PlayButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(stopped.load(), 60000);
        EXPECT_TRUE(PlayButton().isEnabled()) << MomentName(moment);
        EXPECT_TRUE(MusicPlayer::Instance().IsIdle()) << MomentName(moment);
        EXPECT_LE(service.NoteOns(), 3) << MomentName(moment);
        const std::vector<std::string> messages = service.Messages();
        ASSERT_GE(messages.size(), 2u) << MomentName(moment);
        EXPECT_EQ(messages[messages.size() - 2], "reset") << MomentName(moment);
        EXPECT_EQ(messages.back(), "close") << MomentName(moment);
        EXPECT_TRUE(dialog_->isVisible());
        // The output lives on this frame: the player's threads must be done with it.
        MusicPlayer::Instance().WaitUntilIdle();
        dialog_.reset();
    }
}

// Started where there are no measure files, Play looks in the other folders and plays from
// the first that has them; with none anywhere, one message names every folder looked in.
TEST_F(QuitAndStopTest, PlayFindsTheMeasureFilesOrSaysOnceWhereItLooked) {
    const fs::path empty = fs::temp_directory_path() / ("zamrit-no-measures-" + std::to_string(::getpid()));
    fs::create_directories(empty);
    {
        testing::RecordedReports reports;
        StartDialog();
        dialog_->SetMeasureFolders({empty, "/nonexistent-folder"});
        RecordingMidiOutService device;
        ScopedMidiOutService installed(device);
        QTest::mouseClick(&PlayButton(), Qt::LeftButton);
        QTest::qWait(100);
        ASSERT_EQ(reports.Lines().size(), 1u);
        const std::string message = reports.Lines()[0];
        EXPECT_NE(message.find(empty.string()), std::string::npos) << message;
        EXPECT_NE(message.find("/nonexistent-folder"), std::string::npos) << message;
        EXPECT_TRUE(PlayButton().isEnabled());
        EXPECT_TRUE(device.OpenRequests().empty());  // nothing to play: nothing opened
        dialog_.reset();
    }
    {
        testing::RecordedReports reports;
        StartDialog();
        dialog_->SetMeasureFolders({empty, ZAMRIT_MEASURE_DIR});
        MomentOutService service(Moment::Playing, [this] { QueueOnWindow([this] { dialog_->OnStop(); }); });
        ScopedMidiOutService installed(service);
        QTest::mouseClick(&PlayButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(service.Reached() && PlayButton().isEnabled(), 20000);
        EXPECT_GE(service.NoteOns(), 1);  // the measures of the second folder were heard
        EXPECT_TRUE(reports.Lines().empty());
        dialog_.reset();
    }
    fs::remove_all(empty);
}

}  // namespace
}  // namespace zamrit
