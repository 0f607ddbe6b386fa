#pragma once

#include <CLI/CLI.hpp>

#include "cli/CommandAction.h"

namespace zamrit {

// zamrit-dice play SOURCE: plays the piece in real time on the MIDI mapper, reports where it
// is on standard error, and returns once the completion function has run and the device has
// been reset and closed. Ctrl+C stops the playback the same way.
void RegisterPlayCommand(CLI::App& app, CommandAction& action);

}  // namespace zamrit
