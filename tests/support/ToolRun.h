#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zamrit::testing {

// One run of the command-line tool: its exit status and what it wrote.
struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `zamrit-dice ARGS` through the shell, in `directory` when one is given.
inline ToolRun RunTool(const std::string& args, const std::string& directory = {}) {
    // One file per test process: tests of the tool run side by side under ctest -j.
    const auto errPath = std::filesystem::temp_directory_path() /
                         ("zamrit-tool-stderr-" + std::to_string(::getpid()) + ".txt");
    std::string command = std::string(ZAMRIT_DICE) + " " + args + " 2>" + errPath.string();
    if (!directory.empty()) command = "cd '" + directory + "' && " + command;

    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 4096> chunk{};
    std::size_t read = 0;
    while ((read = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) run.out.append(chunk.data(), read);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    {
        std::ifstream err(errPath);
        std::stringstream text;
        text << err.rdbuf();
        run.err = text.str();
    }
    std::filesystem::remove(errPath);
    return run;
}

}  // namespace zamrit::testing
