#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/ShellCommand.h"

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

    CommandResult result = RunShellCommand(command);
    ToolRun run{result.status, std::move(result.out), {}};
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
