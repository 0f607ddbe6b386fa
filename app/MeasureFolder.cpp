#include "app/MeasureFolder.h"

#include <system_error>

#include "app/MeasureOrder.h"

namespace zamrit {
namespace {

bool HoldsAMeasureFile(const std::filesystem::path& folder) {
    std::error_code error;
    for (const std::string& name : AllMeasureFileNames()) {
        if (std::filesystem::is_regular_file(folder / name, error)) return true;
    }
    return false;
}

}  // namespace

std::vector<std::filesystem::path> MeasureFolder::Candidates(const std::filesystem::path& programFolder) {
    std::vector<std::filesystem::path> folders{"."};
    if (!programFolder.empty()) {
        folders.push_back((programFolder / ".." / "share" / "zamrit-dice-game" / "measures").lexically_normal());
        folders.push_back((programFolder / ".." / "measures").lexically_normal());
    }
    return folders;
}

std::optional<std::filesystem::path> MeasureFolder::Find(std::span<const std::filesystem::path> candidates) {
    for (const auto& folder : candidates) {
        if (HoldsAMeasureFile(folder)) return folder;
    }
    return std::nullopt;
}

std::string MeasureFolder::PathOf(const std::filesystem::path& folder, const std::string& name) {
    if (folder.empty() || folder == ".") return name;
    return (folder / name).string();
}

std::string MeasureFolder::NotFoundMessage(std::span<const std::filesystem::path> candidates) {
    std::string message = "The measure files of the game (such as MN_07_01.dat) were not found. Looked in:";
    for (const auto& folder : candidates) {
        std::error_code error;
        const std::filesystem::path shown =
            folder == "." ? std::filesystem::current_path(error) : folder;
        message += "\n  " + (shown.empty() ? folder : shown).string();
    }
    message += "\nStart the game in the folder of its measure files, or install it.";
    return message;
}

}  // namespace zamrit
