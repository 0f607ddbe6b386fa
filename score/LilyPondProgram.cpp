#include "score/LilyPondProgram.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace zamrit::score {
namespace {

namespace fs = std::filesystem;

// Runs the program with these arguments, its output and errors into `logPath`; its exit
// status, or -1 when it could not be started.
int Run(const std::vector<std::string>& arguments, const std::string& logPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string LastLines(const std::string& path, std::size_t count) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty()) lines.push_back(line);
    }
    std::string tail;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) {
        tail += (tail.empty() ? "" : "\n") + lines[i];
    }
    return tail;
}

}  // namespace

std::optional<std::string> LilyPondProgram::Find() {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return std::nullopt;
    std::stringstream folders(path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty()) continue;
        const fs::path candidate = fs::path(folder) / "lilypond";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return std::nullopt;
}

LilyPondProgram::Result LilyPondProgram::Engrave(const std::string& lilyPondText, Format format,
                                                 const std::string& outputPath) {
    const std::optional<std::string> program = Find();
    if (!program) return {false, kInstallHint};

    std::string folderName = (fs::temp_directory_path() / "zamrit-score-XXXXXX").string();
    if (::mkdtemp(folderName.data()) == nullptr) return {false, "Can not make a temporary folder"};
    const fs::path folder(folderName);
    const fs::path source = folder / "score.ly";
    const fs::path log = folder / "lilypond.log";
    Result result;
    {
        std::ofstream file(source);
        file << lilyPondText;
    }
    const char* formatOption = format == Format::Pdf ? "--pdf" : "--svg";
    const int status = Run({*program, formatOption, "-dno-point-and-click", "-o", (folder / "score").string(),
                            source.string()},
                           log.string());
    const fs::path made = folder / (format == Format::Pdf ? "score.pdf" : "score.svg");
    std::error_code error;
    if (status != 0 || !fs::exists(made, error)) {
        result.problem = "LilyPond could not engrave the score";
        const std::string tail = LastLines(log.string(), 3);
        if (!tail.empty()) result.problem += ":\n" + tail;
    } else {
        fs::copy_file(made, outputPath, fs::copy_options::overwrite_existing, error);
        if (error) {
            result.problem = "Can not write the file " + outputPath;
        } else {
            result.written = true;
        }
    }
    fs::remove_all(folder, error);
    return result;
}

}  // namespace zamrit::score
