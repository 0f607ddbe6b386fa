#pragma once

#include <filesystem>

namespace zamrit::testing {

// Makes `folder` the working folder while it lives, then goes back to the one before: the
// measure files are found there as the game finds them.
class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedWorkingFolder() { std::filesystem::current_path(previous_); }
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

private:
    std::filesystem::path previous_;
};

}  // namespace zamrit::testing
