#pragma once

#include <cstdint>

#include "tools/measures/Measure.h"
#include "tools/measures/MeasureStyle.h"

namespace zamrit::measures {

// Writes the measure of one bar of a part for one dice sum. The bar's chord is the same for
// every sum; the sum picks the melody's figure over it and the accompaniment's pattern.
// Cadence bars (8 and 16) take a figure that ends on the tonic.
class MeasureComposer {
public:
    explicit MeasureComposer(const MeasureStyle& style) : style_(style) {}

    // bar: 1 to the part's length; sum: 2-12 (1-6 in the trio).
    Measure Compose(std::int32_t bar, std::int32_t sum) const;

    // The MIDI key of a diatonic step counted from the tonic (step 0) in the middle octave.
    std::int32_t KeyOfStep(std::int32_t step) const;

private:
    void AddMelody(Measure& measure, const Chord& chord, const Figure& figure) const;
    void AddAccompaniment(Measure& measure, const Chord& chord, bool cadence, std::int32_t sum) const;
    void AddNote(Measure& measure, std::int32_t voice, std::int32_t start, std::int32_t length,
                 std::int32_t key) const;
    // The step of `step` moved by whole octaves so that its key lies nearest to `centre`.
    std::int32_t NearestOctave(std::int32_t step, std::int32_t centre) const;

    const MeasureStyle& style_;
};

}  // namespace zamrit::measures
