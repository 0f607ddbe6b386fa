#include "score/ScoreLayout.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <optional>

#include "melody/MobileCommand.h"
#include "melody/MobileData.h"
#include "score/Notation.h"
#include "score/PitchSpeller.h"

namespace zamrit::score {
namespace {

constexpr std::int32_t kMinuetBar = 3 * kTicksPerQuarter;
constexpr std::int32_t kDanceBar = 2 * kTicksPerQuarter;
// Bar numbers are written as 32-bit numbers; a piece that long is refused long before.
constexpr std::int64_t kMostBarNumber = std::numeric_limits<std::int32_t>::max();

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

bool HasTimeSignature(const MobileData& melody) { return melody.timeSignature % 256 != 0; }

// The ticks from the start of the melody to the end of its longest list (its last note's end
// where that is later than its last event), as the melody is measured.
std::int64_t MelodyLength(const MobileData& melody) {
    std::int64_t length = 0;
    for (std::int32_t list = 0; list < melody.channelCount; ++list) {
        length = std::max<std::int64_t>(length, melody.Channel(list).LengthInUnits(1));
    }
    return length;
}

// The quarter notes of one bar `ticks` long (in the melody's time base), when that is a whole
// number from kFewestBeats to kMostBeats.
std::optional<std::int32_t> PlausibleBeats(const MobileData& melody, std::int64_t ticks) {
    if (melody.timeBase <= 0 || ticks <= 0) return std::nullopt;
    const std::int64_t quarter = melody.timeBase;
    if (ticks % quarter != 0) return std::nullopt;
    const std::int64_t beats = ticks / quarter;
    if (beats < ScoreLayout::kFewestBeats || beats > ScoreLayout::kMostBeats) return std::nullopt;
    return static_cast<std::int32_t>(beats);
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
    const std::int32_t beatsPerMinute = melody.tempo > 0 ? (60'000'000 + melody.tempo / 2) / melody.tempo : 120;
    const std::int32_t key = FewestAccidentalsKey(melody);
    if (!HasTimeSignature(melody)) {
        if (const auto beats = PlausibleBeats(melody, MelodyLength(melody))) {
            return {melody.title, beatsPerMinute, {{"", key, *beats, false, 0, 1, 1}}};
        }
    }
    const std::int64_t barTicks =
        static_cast<std::int64_t>(melody.MeasureLength()) * kTicksPerQuarter / std::max(1, melody.timeBase);
    const std::int64_t beats = std::clamp<std::int64_t>((barTicks + kTicksPerQuarter / 2) / kTicksPerQuarter, 1,
                                                        std::numeric_limits<std::int32_t>::max() / kTicksPerQuarter);
    SectionPlan section{"", key, static_cast<std::int32_t>(beats), false, 0,
                        std::max<std::int64_t>(1, melody.MeasureCount()), 1};
    return {melody.title, beatsPerMinute, {section}};
}

ScoreLayout ScoreLayout::ForMeasures(const MobileData& melody, std::span<const std::int64_t> barEnds) {
    ScoreLayout layout = ForMelody(melody);
    const std::int32_t key = layout.sections.front().keyFifths;
    std::vector<SectionPlan> sections;
    std::int64_t start = 0;
    std::int64_t nextBarNumber = 1;
    for (const std::int64_t end : barEnds) {
        const std::int64_t length = end - start;
        if (length == 0) continue;
        const auto beats = PlausibleBeats(melody, length);
        if (!beats) return layout;
        if (sections.empty() || sections.back().beatsPerBar != *beats) {
            sections.push_back({"", key, *beats, false, start * kTicksPerQuarter / melody.timeBase, 0,
                                static_cast<std::int32_t>(std::min<std::int64_t>(nextBarNumber, kMostBarNumber))});
        }
        ++sections.back().barCount;
        ++nextBarNumber;
        start = end;
    }
    if (!sections.empty()) layout.sections = std::move(sections);
    return layout;
}

std::int64_t ScoreLayout::BarCount() const {
    std::int64_t bars = 0;
    for (const SectionPlan& section : sections) bars += section.barCount;
    return bars;
}

std::int64_t ScoreLayout::QuarterCount() const {
    std::int64_t quarters = 0;
    for (const SectionPlan& section : sections) quarters += section.barCount * section.beatsPerBar;
    return quarters;
}

}  // namespace zamrit::score
