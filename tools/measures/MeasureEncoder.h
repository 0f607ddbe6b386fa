#pragma once

#include <string_view>

#include "tools/MFiWriter.h"
#include "tools/measures/Measure.h"
#include "tools/measures/MeasureStyle.h"

namespace zamrit::measures {

// Writes a measure as an MFi file: four "trac" chunks, the measure on track 0 and the other
// three empty. Track 0 starts with the tempo and, for each of the three channels, program and
// volume; the notes and any later tempo changes follow in time order; its last event, an
// end-of-track command, lies exactly on the bar line, so that joined measures keep whole bars.
// The measure is written as played at bar `bar` (from 0) of its part (MeasurePerformance).
class MeasureEncoder {
public:
    static MFiWriter Encode(const MeasureStyle& style, std::size_t bar, const Measure& measure,
                            std::string_view title);

    // A MIDI key as a melody note's key number (0-63) and octave code.
    struct KeyCode {
        std::uint8_t key;
        std::uint8_t octave;
    };
    static KeyCode EncodeKey(std::int32_t midiKey);
};

}  // namespace zamrit::measures
