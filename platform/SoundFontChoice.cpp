#include "platform/SoundFontChoice.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zamrit {
namespace {

SoundFontChoice::Result Named(const std::string& path, const std::string& namedBy) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(path, error);
    if (error) return {"", "The SoundFont " + path + " (" + namedBy + ") does not exist."};
    if (!std::filesystem::is_regular_file(resolved, error)) {
        return {"", "The SoundFont " + path + " (" + namedBy + ") is not a file."};
    }
    return {resolved.string(), ""};
}

}  // namespace

void SoundFontChoice::SetOption(std::string path) {
    std::lock_guard lock(mutex_);
    option_ = std::move(path);
}

void SoundFontChoice::SetMenuChoice(std::string path) {
    std::lock_guard lock(mutex_);
    menuChoice_ = std::move(path);
}

std::optional<std::string> SoundFontChoice::EnvironmentSetting() {
    const char* value = std::getenv(kVariable);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

SoundFontChoice::Result SoundFontChoice::Resolve() const {
    std::string option;
    std::string menuChoice;
    {
        std::lock_guard lock(mutex_);
        option = option_;
        menuChoice = menuChoice_;
    }
    if (!option.empty()) return Named(option, "--sound-font");
    if (auto variable = EnvironmentSetting()) return Named(*variable, std::string(kVariable) + "=" + *variable);
    if (!menuChoice.empty()) {
        Result chosen = Named(menuChoice, "the Output menu's choice");
        if (chosen.problem.empty()) return chosen;
    }
    std::string best = finder_.Best();
    if (best.empty()) {
        return {"", "There is no General MIDI SoundFont in /usr/share/sounds/sf3 or /usr/share/sounds/sf2 "
                    "(the package fluid-soundfont-gm has one); ZAMRIT_SOUNDFONT=PATH names another."};
    }
    return {std::move(best), ""};
}

SoundFontChoice& ProcessSoundFont() {
    static SoundFontChoice choice;
    return choice;
}

}  // namespace zamrit
