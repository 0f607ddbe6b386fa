#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "platform/SoundFontFinder.h"

namespace zamrit {

// The SoundFont the built-in synthesizer plays, chosen by, in this order: the --sound-font
// option of the command-line tool, the environment variable ZAMRIT_SOUNDFONT, the game's
// Output menu, or else the best font the finder finds. A font named by the option or the
// variable that does not exist is said, never replaced by another.
class SoundFontChoice {
public:
    static constexpr const char* kVariable = "ZAMRIT_SOUNDFONT";

    // Either the resolved path of the font, or why there is none.
    struct Result {
        std::string path;
        std::string problem;
    };

    explicit SoundFontChoice(SoundFontFinder finder = SoundFontFinder()) : finder_(std::move(finder)) {}

    void SetOption(std::string path);
    void SetMenuChoice(std::string path);
    // The variable, when it is set and not empty.
    static std::optional<std::string> EnvironmentSetting();
    Result Resolve() const;
    const SoundFontFinder& Finder() const { return finder_; }

private:
    SoundFontFinder finder_;
    mutable std::mutex mutex_;
    std::string option_;
    std::string menuChoice_;
};

// The choice of the process (the tool's option and the game's menu set it).
SoundFontChoice& ProcessSoundFont();

}  // namespace zamrit
