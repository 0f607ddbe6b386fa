#pragma once

#include <CLI/CLI.hpp>

#include "cli/CommandAction.h"

namespace zamrit {

// zamrit-dice render SOURCE -o OUT.wav: the built-in synthesizer renders the piece into a WAV
// file faster than real time, every event at the moment the timer sequencer sends it.
void RegisterRenderCommand(CLI::App& app, CommandAction& action);

}  // namespace zamrit
