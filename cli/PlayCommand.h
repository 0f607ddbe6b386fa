#pragma once

#include <CLI/CLI.hpp>

#include "cli/CommandAction.h"

namespace zamrit {

// zamrit-dice play SOURCE: plays the piece in real time on the MIDI mapper, reports where it
// is on standard error, and returns once the completion function has run and the device has
// been reset and closed. SIGINT (Ctrl+C), SIGTERM and SIGHUP stop the playback the same way,
// and the tool then exits with 128 + the signal's number. --sound-font PATH gives the built-in
// synthesizer another font than ZAMRIT_SOUNDFONT or the best one installed.
void RegisterPlayCommand(CLI::App& app, CommandAction& action);

}  // namespace zamrit
