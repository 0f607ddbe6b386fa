#include "score/PitchSpeller.h"

#include <array>

namespace zamrit::score {
namespace {

constexpr std::array<std::int32_t, 7> kNaturalPitchClass{0, 2, 4, 5, 7, 9, 11};

// Semitones above the tonic -> the scale degree whose letter names it.
constexpr std::array<std::int32_t, 12> kDegreeOfSemitone{0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 6, 6};

std::int32_t Modulo(std::int32_t value, std::int32_t divisor) {
    const std::int32_t rest = value % divisor;
    return rest < 0 ? rest + divisor : rest;
}

std::int32_t FloorDivide(std::int32_t value, std::int32_t divisor) {
    return (value - Modulo(value, divisor)) / divisor;
}

}  // namespace

namespace {

Pitch SpellInKey(std::int32_t midiKey, std::int32_t keyFifths) {
    const std::int32_t tonicPitchClass = Modulo(keyFifths * 7, 12);
    const std::int32_t tonicStep = Modulo(keyFifths * 4, 7);
    const std::int32_t semitones = Modulo(midiKey - tonicPitchClass, 12);
    const std::int32_t step = (tonicStep + kDegreeOfSemitone[semitones]) % 7;
    std::int32_t alter = Modulo(midiKey - kNaturalPitchClass[step], 12);
    if (alter > 6) alter -= 12;
    const std::int32_t natural = midiKey - alter;
    return {step, alter, FloorDivide(natural, 12) - 1};
}

}  // namespace

Pitch PitchSpeller::Spell(std::int32_t midiKey, std::int32_t keyFifths) {
    const Pitch pitch = SpellInKey(midiKey, keyFifths);
    // C major names no key with a B sharp or a C flat, so its octave is the key's own.
    if (Writable(midiKey) && (pitch.octave < 0 || pitch.octave > 9)) return SpellInKey(midiKey, 0);
    return pitch;
}

std::int32_t PitchSpeller::MidiKey(const Pitch& pitch) {
    return (pitch.octave + 1) * 12 + kNaturalPitchClass[pitch.step] + pitch.alter;
}

std::int32_t PitchSpeller::KeyAlter(std::int32_t step, std::int32_t keyFifths) {
    // Sharps come in the order F C G D A E B, flats in the reverse order.
    constexpr std::array<std::int32_t, 7> kSharpOrder{3, 0, 4, 1, 5, 2, 6};
    for (std::int32_t i = 0; i < keyFifths && i < 7; ++i) {
        if (kSharpOrder[i] == step) return 1;
    }
    for (std::int32_t i = 0; i < -keyFifths && i < 7; ++i) {
        if (kSharpOrder[6 - i] == step) return -1;
    }
    return 0;
}

}  // namespace zamrit::score
