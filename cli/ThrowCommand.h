#pragma once

#include <CLI/CLI.hpp>

#include "cli/CommandAction.h"

namespace zamrit {

// zamrit-dice throw --form dance|minuet [--seed N]
void RegisterThrowCommand(CLI::App& app, CommandAction& action);

}  // namespace zamrit
