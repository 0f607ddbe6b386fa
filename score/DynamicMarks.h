#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "score/MarkCourse.h"

namespace zamrit::score {

// The dynamics of the melody: its level in dB from the channel volume and the velocity, and
// the marks a player reads from its course.
//
// Both the volume and the velocity scale the amplitude by the square of their part of 127,
// as General MIDI synthesizers take them, so the level is 40 log10(volume / 127) +
// 40 log10(velocity / 127) dB. The marks are steps of 4 dB down from the loudest:
//   ff from -2 dB, f from -6, mf from -10, mp from -14, p from -18, pp below.
// A new mark is written where the level settles in another step, by at least 1 dB past its
// edge (a level on an edge does not flicker between two marks). A hairpin is written where the
// level rises or falls in two or more changes in one direction, each at most a bar after the
// one before, by 2 dB or more in all; it starts where the level starts to move (one interval
// of its changes before the first) and ends at the last change, with the new mark there if
// the step changed. A single change is a subito: only its mark. A melody whose level never
// reaches another step gets no marks at all, not even at its start.
class DynamicMarks {
public:
    static constexpr double kStepDb = 4.0;
    static constexpr double kLoudestStepDb = -2.0;  // where ff starts
    static constexpr double kHysteresisDb = 1.0;
    static constexpr double kLeastHairpinDb = 2.0;

    static double Level(std::int32_t volume, std::int32_t velocity);
    // "pp" to "ff".
    static std::string Name(double level);
    static std::vector<PlacedMark> Find(std::span<const SectionCourse> sections);
};

}  // namespace zamrit::score
