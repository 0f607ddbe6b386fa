#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

class QPushButton;

namespace zamrit {

class MobileData;

// What the Play button shares with the completion function on the player's worker thread:
// the button to enable again and the melody being played. The melody is handed over as an
// owned pointer and taken back exactly once, by whoever exchanges it out first.
class PlaybackHandoff {
public:
    static PlaybackHandoff& Instance();

    std::atomic<QPushButton*> thePlayButton{nullptr};

    // Stores the melody of a new playback; a melody left from a playback whose completion
    // never ran is destroyed here.
    void SetMelody(std::unique_ptr<MobileData> melody);
    // Takes the melody back (nullptr when it has already been taken).
    std::unique_ptr<MobileData> TakeMelody();

    // The completion's pause before Play comes back; ends early once the window closes.
    void PauseBeforeEnabling(std::chrono::milliseconds pause);
    void SetClosing(bool closing);

private:
    std::atomic<MobileData*> theMelody_{nullptr};
    std::mutex mutex_;
    std::condition_variable closingChanged_;
    bool closing_ = false;
};

// The completion function of a playback: destroys the melody, waits 2000 ms and enables Play
// again through a queued call on the GUI thread. Runs on the player's worker thread.
int OnPlayFinished();

}  // namespace zamrit
