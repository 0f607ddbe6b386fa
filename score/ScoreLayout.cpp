#include "score/ScoreLayout.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

#include "melody/MobileCommand.h"
#include "melody/MobileData.h"
#include "score/Notation.h"
#include "score/PitchSpeller.h"

namespace zamrit::score {
namespace {

constexpr std::int32_t kMinuetBar = 3 * kTicksPerQuarter;
constexpr std::int32_t kDanceBar = 2 * kTicksPerQuarter;

// The key signature, from 6 flats to 6 sharps, under which the fewest of the melody's notes
// need an accidental; the key nearer to C on a tie.
std::int32_t FewestAccidentalsKey(const MobileData& melody) {
    std::array<std::int32_t, 12> pitchClassCount{};
    for (std::int32_t list = 0; list < melody.channelCount; ++list) {
        for (const auto& event : melody.Channel(list).Events()) {
            if (event.kind == kNoteEvent) ++pitchClassCount[static_cast<std::size_t>(((event.key % 12) + 12) % 12)];
        }
    }
    std::int32_t best = 0;
    std::int32_t fewest = std::numeric_limits<std::int32_t>::max();
    for (const std::int32_t fifths : {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6}) {
        std::int32_t accidentals = 0;
        for (std::int32_t pitchClass = 0; pitchClass < 12; ++pitchClass) {
            const Pitch pitch = PitchSpeller::Spell(60 + pitchClass, fifths);
            if (pitch.alter != PitchSpeller::KeyAlter(pitch.step, fifths)) {
                accidentals += pitchClassCount[static_cast<std::size_t>(pitchClass)];
            }
        }
        if (accidentals < fewest) {
            fewest = accidentals;
            best = fifths;
        }
    }
    return best;
}

}  // namespace

ScoreLayout ScoreLayout::ForForm(PieceForm form) {
    if (form == PieceForm::MinuetTrio) {
        return {"Minuet and Trio", 120,
                {{"Minuet", 0, 3, false, 0, 16, 1}, {"Trio", -1, 3, false, 16 * kMinuetBar, 16, 17}}};
    }
    // The played bars 9-16 repeat bars 1-8 (their dice are copied), so they are not written.
    return {"Dance", 132,
            {{"First part", 1, 2, true, 0, 8, 1}, {"Second part", 1, 2, false, 16 * kDanceBar, 8, 17}}};
}

std::int32_t ScoreLayout::WrittenBar(std::int32_t playedBar) const {
    for (const SectionPlan& section : sections) {
        const std::int32_t repeatStart = section.firstBarNumber + section.barCount;
        if (section.repeated && playedBar >= repeatStart && playedBar < repeatStart + section.barCount) {
            return playedBar - section.barCount;
        }
    }
    return playedBar;
}

ScoreLayout ScoreLayout::ForMelody(const MobileData& melody) {
    const std::int32_t barTicks = melody.MeasureLength() * kTicksPerQuarter / std::max(1, melody.timeBase);
    const std::int32_t beats = std::max(1, (barTicks + kTicksPerQuarter / 2) / kTicksPerQuarter);
    SectionPlan section{"", FewestAccidentalsKey(melody), beats, false, 0,
                        std::max(1, melody.MeasureCount()), 1};
    const std::int32_t beatsPerMinute = melody.tempo > 0 ? (60'000'000 + melody.tempo / 2) / melody.tempo : 120;
    return {melody.title, beatsPerMinute, {section}};
}

}  // namespace zamrit::score
