#include "app/PlaybackHandoff.h"

#include <QMetaObject>
#include <QPushButton>

#include "melody/MobileData.h"

namespace zamrit {

PlaybackHandoff& PlaybackHandoff::Instance() {
    static PlaybackHandoff handoff;
    return handoff;
}

void PlaybackHandoff::SetMelody(std::unique_ptr<MobileData> melody) {
    std::unique_ptr<MobileData> previous(theMelody_.exchange(melody.release()));
}

std::unique_ptr<MobileData> PlaybackHandoff::TakeMelody() {
    return std::unique_ptr<MobileData>(theMelody_.exchange(nullptr));
}

void PlaybackHandoff::PauseBeforeEnabling(std::chrono::milliseconds pause) {
    std::unique_lock lock(mutex_);
    closingChanged_.wait_for(lock, pause, [this] { return closing_; });
}

void PlaybackHandoff::SetClosing(bool closing) {
    {
        std::lock_guard lock(mutex_);
        closing_ = closing;
    }
    closingChanged_.notify_all();
}

int OnPlayFinished() {
    PlaybackHandoff& handoff = PlaybackHandoff::Instance();
    handoff.TakeMelody().reset();
    handoff.PauseBeforeEnabling(std::chrono::milliseconds(2000));
    if (QPushButton* button = handoff.thePlayButton.load()) {
        QMetaObject::invokeMethod(button, [button] { button->setEnabled(true); }, Qt::QueuedConnection);
    }
    return 0;
}

}  // namespace zamrit
