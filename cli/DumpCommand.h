#pragma once

#include <CLI/CLI.hpp>

#include "cli/CommandAction.h"

namespace zamrit {

// zamrit-dice dump FILE [--voice-type N]: loads FILE as an MFi melody and prints its header,
// information chunks and the events of every track after loading.
void RegisterDumpCommand(CLI::App& app, CommandAction& action);

}  // namespace zamrit
