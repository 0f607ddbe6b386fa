#include "platform/SoundFontFinder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <system_error>

namespace zamrit {
namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool IsGmFont(const std::filesystem::path& path) {
    const std::string extension = path.extension().string();
    return (extension == ".sf3" || extension == ".sf2") && Upper(path.filename().string()).find("GM") != std::string::npos;
}

bool IsSmallFallback(const std::string& path) {
    return Upper(std::filesystem::path(path).filename().string()).find("TIMGM6MB") != std::string::npos;
}

// The file a path leads to, links followed; empty for a dangling link or a missing file.
std::string Resolved(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (error || !std::filesystem::is_regular_file(target, error)) return {};
    return target.string();
}

}  // namespace

std::vector<std::string> SoundFontFinder::Fonts() const {
    const std::filesystem::path sounds = root_ / "usr/share/sounds";
    std::vector<std::filesystem::path> candidates{sounds / "sf3/default-GM.sf3", sounds / "sf2/default-GM.sf2"};
    for (const char* folder : {"sf3", "sf2"}) {
        std::vector<std::filesystem::path> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(sounds / folder, error)) {
            if (IsGmFont(entry.path())) found.push_back(entry.path());
        }
        std::sort(found.begin(), found.end());
        candidates.insert(candidates.end(), found.begin(), found.end());
    }
    std::vector<std::string> fonts;
    for (const auto& candidate : candidates) {
        std::string font = Resolved(candidate);
        if (!font.empty() && std::find(fonts.begin(), fonts.end(), font) == fonts.end()) fonts.push_back(std::move(font));
    }
    std::stable_partition(fonts.begin(), fonts.end(), [](const std::string& font) { return !IsSmallFallback(font); });
    return fonts;
}

std::string SoundFontFinder::Best() const {
    const std::vector<std::string> fonts = Fonts();
    return fonts.empty() ? std::string() : fonts.front();
}

}  // namespace zamrit
