#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zamrit {

// Where the game finds its measure files. The folder it is started in comes first; a folder
// counts as the game's when it holds at least one of the 448 measure files, so a folder with
// some files missing is still used (and each missing file is reported when it is loaded).
class MeasureFolder {
public:
    // The folders looked in, in order: the working folder, the installed data folder beside
    // the program's (bin/../share/zamrit-dice-game/measures) and the build's folder of
    // generated files (app/../measures), where the program runs from a build.
    static std::vector<std::filesystem::path> Candidates(const std::filesystem::path& programFolder);

    // The first candidate that holds any of the game's measure files.
    static std::optional<std::filesystem::path> Find(std::span<const std::filesystem::path> candidates);

    // The path the measure is loaded from: the bare name in the working folder (as its reports
    // name it), else the name inside `folder`.
    static std::string PathOf(const std::filesystem::path& folder, const std::string& name);

    // The one message for a game without its files, naming every folder looked in.
    static std::string NotFoundMessage(std::span<const std::filesystem::path> candidates);
};

}  // namespace zamrit
