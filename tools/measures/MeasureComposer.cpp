#include "tools/measures/MeasureComposer.h"

#include <algorithm>
#include <cstdlib>

namespace zamrit::measures {
namespace {

constexpr std::array<std::int32_t, 7> kMajorScale{0, 2, 4, 5, 7, 9, 11};
constexpr std::int32_t kMelody = 0;
constexpr std::int32_t kBass = 1;
constexpr std::int32_t kInner = 2;

std::int32_t FloorDiv(std::int32_t value, std::int32_t divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

}  // namespace

std::int32_t MeasureComposer::KeyOfStep(std::int32_t step) const {
    const std::int32_t octave = FloorDiv(step, 7);
    return style_.tonic + 12 * octave + kMajorScale[static_cast<std::size_t>(step - 7 * octave)];
}

std::int32_t MeasureComposer::NearestOctave(std::int32_t step, std::int32_t centre) const {
    std::int32_t best = step;
    for (std::int32_t octave = -3; octave <= 3; ++octave) {
        const std::int32_t candidate = step + 7 * octave;
        if (std::abs(KeyOfStep(candidate) - centre) < std::abs(KeyOfStep(best) - centre)) best = candidate;
    }
    return best;
}

void MeasureComposer::AddNote(Measure& measure, std::int32_t voice, std::int32_t start,
                              std::int32_t length, std::int32_t key) const {
    const std::int32_t gate =
        std::clamp(length * style_.gatePercent[static_cast<std::size_t>(voice)] / 100, 1, 255);
    std::int32_t velocity = style_.velocities[static_cast<std::size_t>(voice)];
    if (start == 0) velocity = std::min(velocity + 3, 63);  // a light accent on the downbeat
    measure.voices[static_cast<std::size_t>(voice)].push_back(NoteSpan{start, length, gate, key, velocity});
}

void MeasureComposer::AddMelody(Measure& measure, const Chord& chord, const Figure& figure) const {
    // The figure keeps its shape; the whole of it moves by octaves to sit near the centre.
    std::int32_t total = 0;
    for (const FigureNote& note : figure) total += KeyOfStep(chord.root + note.step);
    const std::int32_t mean = total / static_cast<std::int32_t>(figure.size());
    std::int32_t octaves = 0;
    for (std::int32_t candidate = -3; candidate <= 3; ++candidate) {
        if (std::abs(mean + 12 * candidate - style_.melodyCentre) <
            std::abs(mean + 12 * octaves - style_.melodyCentre)) {
            octaves = candidate;
        }
    }
    const std::int32_t shift = 7 * octaves;

    std::int32_t start = 0;
    for (const FigureNote& note : figure) {
        const std::int32_t length = note.sixteenths * style_.TicksPerSixteenth();
        AddNote(measure, kMelody, start, length, KeyOfStep(chord.root + note.step + shift));
        start += length;
    }
}

void MeasureComposer::AddAccompaniment(Measure& measure, const Chord& chord, bool cadence,
                                       std::int32_t sum) const {
    const std::int32_t sixteenth = style_.TicksPerSixteenth();
    const std::int32_t beat = style_.ticksPerQuarter;
    const std::int32_t bar = style_.TicksPerBar();
    const std::int32_t root = KeyOfStep(NearestOctave(chord.root, style_.bassCentre));
    const std::int32_t fifthBelow = KeyOfStep(NearestOctave(chord.root + 4, style_.bassCentre - 5));
    const std::int32_t third = KeyOfStep(NearestOctave(chord.root + 2, style_.innerCentre));
    // The inner voice's second note (fifth, or seventh of a seventh chord) stays close to its
    // third, so that the voice moves by small steps.
    const std::int32_t colour = KeyOfStep(NearestOctave(chord.root + (chord.seventh ? 6 : 4), third));
    const bool even = sum % 2 == 0;

    switch (style_.accompaniment) {
    case Accompaniment::Waltz:
        if (cadence) {
            AddNote(measure, kBass, 0, bar, root);
            AddNote(measure, kInner, 0, bar, third);
            return;
        }
        if (even) {
            AddNote(measure, kBass, 0, bar, root);
        } else {
            AddNote(measure, kBass, 0, beat, root);
            AddNote(measure, kBass, beat, beat, fifthBelow);
            AddNote(measure, kBass, 2 * beat, beat, root);
        }
        AddNote(measure, kInner, beat, beat, even ? third : colour);
        AddNote(measure, kInner, 2 * beat, beat, even ? colour : third);
        return;
    case Accompaniment::Sustained:
        AddNote(measure, kBass, 0, bar, root);
        if (even || cadence) {
            AddNote(measure, kInner, 0, bar, third);
        } else {
            AddNote(measure, kInner, 0, bar / 2, third);
            AddNote(measure, kInner, bar / 2, bar / 2, colour);
        }
        return;
    case Accompaniment::March:
        if (cadence) {
            AddNote(measure, kBass, 0, 2 * sixteenth, root);
            AddNote(measure, kInner, 0, 2 * sixteenth, third);
            return;
        }
        AddNote(measure, kBass, 0, beat, root);
        AddNote(measure, kBass, beat, beat, even ? fifthBelow : root);
        AddNote(measure, kInner, beat / 2, beat / 2, third);
        AddNote(measure, kInner, beat + beat / 2, beat / 2, even ? colour : third);
        return;
    }
}

Measure MeasureComposer::Compose(std::int32_t bar, std::int32_t sum) const {
    Measure measure;
    const auto index = static_cast<std::size_t>(bar - 1) % style_.harmony.size();
    const Chord& chord = style_.harmony[index];
    const bool cadence = style_.IsCadence(bar);
    const std::vector<Figure>& figures = cadence ? style_.cadences : style_.figures;
    // Different bars give a sum different figures, so that no sum always sounds the same.
    const auto choice = static_cast<std::size_t>(sum + 3 * bar) % figures.size();
    AddMelody(measure, chord, figures[choice]);
    AddAccompaniment(measure, chord, cadence, sum);
    return measure;
}

}  // namespace zamrit::measures
