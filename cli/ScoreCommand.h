#pragma once

#include <CLI/CLI.hpp>

#include "cli/CommandAction.h"

namespace zamrit {

// zamrit-dice score SOURCE --format musicxml|ly|svg|pdf -o FILE: writes the piece as sheet
// music. MusicXML and LilyPond text are written directly; SVG (one tall page) and PDF (A4
// pages) are engraved by `lilypond`, and its absence is reported.
void RegisterScoreCommand(CLI::App& app, CommandAction& action);

}  // namespace zamrit
