#pragma once

#include <cstdint>
#include <vector>

#include "tools/measures/MeasureStyle.h"

namespace zamrit::measures {

// A rhythm of the melody over one bar, in sixteenths. With `restAfter` the last note is as
// long as written and the melody then rests until the bar line.
struct Rhythm {
    std::vector<std::int32_t> sixteenths;
    bool restAfter = false;
};

// A figure of the melody over one bar: its rhythm and a MIDI key for every note.
struct Figure {
    Rhythm rhythm;
    std::vector<std::int32_t> keys;
};

// The figures a bar's melody may take. Each starts on the bar's downbeat tone; beats carry
// chord tones, the notes between are chord tones or passing and neighbour notes entered and
// left by step, leaps go between chord tones, and the last note leads by step or common tone
// into the downbeat tone of every bar that can follow.
class MelodyFigures {
public:
    static std::vector<Figure> For(const MeasureStyle& style, const BarPlan& bar,
                                   const std::vector<std::int32_t>& nextKeys);

    // The rhythms of a bar of this metre and role: lively ones inside a phrase (longer, held
    // ones for a singing part), a long note or a rest where the phrase arrives.
    static std::vector<Rhythm> Rhythms(std::int32_t beatsPerBar, BarRole role, bool singing);
};

}  // namespace zamrit::measures
