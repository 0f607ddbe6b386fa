#pragma once

#include <CLI/CLI.hpp>

#include "cli/CommandAction.h"

namespace zamrit {

// zamrit-dice render SOURCE -o OUT.wav: the built-in synthesizer renders the piece into a WAV
// file faster than real time, every event at the moment the timer sequencer sends it. It
// prints {"output", "soundFont", "rendered", "seconds", "stoppedBy", "reports"}: "soundFont"
// is the resolved path of the font played (null when none could be), "rendered" is true only
// when the file was opened and the piece played to its end. --sound-font PATH plays another
// font than ZAMRIT_SOUNDFONT or the best one installed. SIGINT, SIGTERM or SIGHUP stop the
// render early: the file is closed as a valid, shorter WAV, "stoppedBy" names the signal
// (null otherwise) and the tool exits with 128 + its number.
void RegisterRenderCommand(CLI::App& app, CommandAction& action);

}  // namespace zamrit
