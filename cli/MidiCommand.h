#pragma once

#include <CLI/CLI.hpp>

#include "cli/CommandAction.h"

namespace zamrit {

// zamrit-dice midi SOURCE [--start T] [--end T] [-o OUT.mid]: builds the playable sequence as
// the Play button does, prints it, and writes it as a format-0 Standard MIDI File with -o.
void RegisterMidiCommand(CLI::App& app, CommandAction& action);

}  // namespace zamrit
