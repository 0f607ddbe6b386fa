#pragma once

#include <string>

#include "score/Notation.h"

namespace zamrit::score {

// Writes a score as a LilyPond 2.24 file: a piano staff with the voices in absolute pitches,
// explicit beams and ties, every bar ending in a bar check, and a `marks` line that carries
// the tempo, the section labels, the game's bar numbers and the repeat signs.
class LilyPondWriter {
public:
    enum class Page {
        Print,   // A4 pages, for PDF
        Screen,  // one page as tall as the music, for a window
    };
    static std::string Write(const Score& score, Page page = Page::Print);

    // A single written value as LilyPond writes its duration ("4.", "16"); empty if none.
    static std::string DurationText(std::int32_t ticks);
};

}  // namespace zamrit::score
