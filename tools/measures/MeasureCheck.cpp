#include "tools/measures/MeasureCheck.h"

namespace zamrit::measures {

Passage MeasureCheck::PassageOf(const MeasureStyle& style, const Measure& measure) {
    std::vector<std::vector<Counterpoint::Onset>> voices;
    for (const NoteLine& line : measure.voices) {
        std::vector<Counterpoint::Onset> onsets;
        for (const NoteSpan& note : line) onsets.push_back({note.start, note.gate, note.key});
        voices.push_back(std::move(onsets));
    }
    return Counterpoint::Bar(voices, style.ticksPerQuarter, style.TicksPerBar(), style.Tonics());
}

bool MeasureCheck::Clean(const MeasureStyle& first, const Measure& a) {
    return Counterpoint::Check(PassageOf(first, a)).empty();
}

bool MeasureCheck::Clean(const MeasureStyle& first, const Measure& a, const MeasureStyle& second,
                         const Measure& b) {
    // Parts joined in a piece share their time base; each bar keeps its own length.
    return Counterpoint::Check(Counterpoint::Join(PassageOf(first, a), PassageOf(second, b))).empty();
}

}  // namespace zamrit::measures
