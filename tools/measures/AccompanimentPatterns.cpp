#include "tools/measures/AccompanimentPatterns.h"

#include <algorithm>
#include <cstdlib>

namespace zamrit::measures {
namespace {

std::int32_t PitchClass(std::int32_t semitones) { return ((semitones % 12) + 12) % 12; }

// A note that lasts `length` ticks and sounds `gatePercent` of it; `length` may run past the
// sound when a rest follows.
NoteSpan Note(std::int32_t start, std::int32_t length, std::int32_t key, std::int32_t gatePercent,
              std::int32_t sounding = -1) {
    const std::int32_t written = sounding < 0 ? length : sounding;
    return {start, length, std::max(1, written * gatePercent / 100), key, 0};
}

// Other chord tones within a fourth of `key`, inside `range`, nearest first.
std::vector<std::int32_t> Neighbours(const MeasureStyle& style, const BarPlan& bar, std::int32_t key,
                                     const Range& range) {
    const std::int32_t root = style.tonic + bar.chord.root;
    std::vector<std::int32_t> found;
    for (std::int32_t candidate = key - 5; candidate <= key + 5; ++candidate) {
        if (candidate == key || !range.Holds(candidate)) continue;
        for (const std::int32_t tone : bar.chord.Tones()) {
            if (PitchClass(candidate - root) == tone) found.push_back(candidate);
        }
    }
    std::stable_sort(found.begin(), found.end(), [key](std::int32_t a, std::int32_t b) {
        return std::abs(a - key) < std::abs(b - key);
    });
    return found;
}

// The bass's answers: the chord's root or fifth within a sixth of the bass tone, nearest first,
// reached by no tritone or seventh.
std::vector<std::int32_t> BassAnswers(const MeasureStyle& style, const BarPlan& bar, std::int32_t bass) {
    const std::int32_t root = style.tonic + bar.chord.root;
    std::vector<std::int32_t> answers;
    for (std::int32_t candidate = bass - 9; candidate <= bass + 12; ++candidate) {
        const std::int32_t leap = std::abs(candidate - bass);
        if (candidate == bass || !style.bass.Holds(candidate) || leap == 6 || (leap > 9 && leap != 12)) continue;
        const std::int32_t tone = PitchClass(candidate - root);
        if (tone == 0 || tone == 7) answers.push_back(candidate);
    }
    std::stable_sort(answers.begin(), answers.end(), [bass](std::int32_t a, std::int32_t b) {
        return std::abs(a - bass) < std::abs(b - bass);
    });
    if (answers.size() > 2) answers.resize(2);
    return answers;
}

// The bar's beat, length and eighth in ticks, and the bass's and inner voice's articulation.
struct Grid {
    std::int32_t beat;
    std::int32_t bar;
    std::int32_t eighth;
    std::int32_t bassGate;
    std::int32_t innerGate;
};

std::vector<AccompanimentVoices> Waltz(const Grid& grid, const Skeleton& s, bool arrives,
                                       const std::vector<std::int32_t>& answers,
                                       const std::vector<std::int32_t>& others) {
    const auto [beat, bar, eighth, bg, ig] = grid;
    std::vector<AccompanimentVoices> patterns;
    if (arrives) {
        patterns.push_back({0, {Note(0, bar, s.bass, bg)}, {Note(0, bar, s.inner, ig)}});
        patterns.push_back({1, {Note(0, bar, s.bass, bg, 2 * beat)}, {Note(0, bar, s.inner, ig, 2 * beat)}});
        patterns.push_back({2, {Note(0, bar, s.bass, bg, beat)}, {Note(beat, bar - beat, s.inner, ig, beat)}});
        return patterns;
    }
    patterns.push_back({0, {Note(0, bar, s.bass, bg)}, {Note(beat, beat, s.inner, ig), Note(2 * beat, beat, s.inner, ig)}});
    for (const std::int32_t other : others) {
        patterns.push_back({1, {Note(0, bar, s.bass, bg)}, {Note(beat, beat, s.inner, ig), Note(2 * beat, beat, other, ig)}});
        std::vector<NoteSpan> broken;
        for (std::int32_t i = 0; i < 6; ++i) broken.push_back(Note(i * eighth, eighth, i % 2 == 0 ? s.inner : other, ig));
        patterns.push_back({2, {Note(0, bar, s.bass, bg)}, broken});
    }
    for (const std::int32_t answer : answers) {
        patterns.push_back({3, {Note(0, 2 * beat, s.bass, bg), Note(2 * beat, beat, answer, bg)}, {Note(0, bar, s.inner, ig)}});
        patterns.push_back({4, {Note(0, beat, s.bass, bg), Note(beat, beat, answer, bg), Note(2 * beat, beat, s.bass, bg)},
                            {Note(beat, beat, s.inner, ig), Note(2 * beat, beat, s.inner, ig)}});
    }
    return patterns;
}

std::vector<AccompanimentVoices> Sustained(const Grid& grid, const Skeleton& s, bool arrives,
                                       const std::vector<std::int32_t>& answers,
                                       const std::vector<std::int32_t>& others) {
    const auto [beat, bar, eighth, bg, ig] = grid;
    std::vector<AccompanimentVoices> patterns;
    if (arrives) {
        patterns.push_back({0, {Note(0, bar, s.bass, bg)}, {Note(0, bar, s.inner, ig)}});
        patterns.push_back({1, {Note(0, bar, s.bass, bg, 2 * beat)}, {Note(0, bar, s.inner, ig, 2 * beat)}});
        patterns.push_back({2, {Note(0, bar, s.bass, bg, beat)}, {Note(0, bar, s.inner, ig, 2 * beat)}});
        return patterns;
    }
    patterns.push_back({0, {Note(0, bar, s.bass, bg)}, {Note(0, bar, s.inner, ig)}});
    patterns.push_back({5, {Note(0, bar, s.bass, bg)}, {Note(beat, 2 * beat, s.inner, ig)}});
    for (const std::int32_t other : others) {
        patterns.push_back({1, {Note(0, bar, s.bass, bg)}, {Note(0, 2 * beat, s.inner, ig), Note(2 * beat, beat, other, ig)}});
        patterns.push_back({2, {Note(0, bar, s.bass, bg)}, {Note(0, beat, s.inner, ig), Note(beat, 2 * beat, other, ig)}});
    }
    for (const std::int32_t answer : answers) {
        patterns.push_back({3, {Note(0, 2 * beat, s.bass, bg), Note(2 * beat, beat, answer, bg)}, {Note(0, bar, s.inner, ig)}});
        patterns.push_back({4, {Note(0, beat, s.bass, bg), Note(beat, beat, answer, bg), Note(2 * beat, beat, s.bass, bg)},
                            {Note(0, bar, s.inner, ig)}});
    }
    return patterns;
}

std::vector<AccompanimentVoices> March(const Grid& grid, const Skeleton& s, bool arrives,
                                       const std::vector<std::int32_t>& answers,
                                       const std::vector<std::int32_t>& others) {
    const auto [beat, bar, eighth, bg, ig] = grid;
    std::vector<AccompanimentVoices> patterns;
    if (arrives) {
        patterns.push_back({0, {Note(0, bar, s.bass, bg, beat)}, {Note(0, bar, s.inner, ig, beat)}});
        patterns.push_back({1, {Note(0, bar, s.bass, bg, eighth)}, {Note(0, bar, s.inner, ig, eighth)}});
        patterns.push_back({2, {Note(0, bar, s.bass, bg)}, {Note(0, bar, s.inner, ig)}});
        return patterns;
    }
    const NoteLine offBeats{Note(eighth, eighth, s.inner, ig), Note(beat + eighth, eighth, s.inner, ig)};
    patterns.push_back({0, {Note(0, beat, s.bass, bg), Note(beat, beat, s.bass, bg)}, offBeats});
    patterns.push_back({1, {Note(0, bar, s.bass, bg, beat)}, {Note(beat, beat, s.inner, ig)}});
    for (const std::int32_t other : others) {
        patterns.push_back({2, {Note(0, beat, s.bass, bg), Note(beat, beat, s.bass, bg)},
                            {Note(eighth, eighth, s.inner, ig), Note(beat, eighth, other, ig),
                             Note(beat + eighth, eighth, s.inner, ig)}});
        patterns.push_back({4, {Note(0, bar, s.bass, bg, beat)},
                            {Note(0, eighth, s.inner, ig), Note(eighth, eighth, other, ig),
                             Note(beat, eighth, s.inner, ig), Note(beat + eighth, eighth, other, ig)}});
    }
    for (const std::int32_t answer : answers) {
        patterns.push_back({0, {Note(0, beat, s.bass, bg), Note(beat, beat, answer, bg)}, offBeats});
        patterns.push_back({3, {Note(0, beat + eighth, s.bass, bg, beat), Note(beat + eighth, eighth, answer, bg)},
                            {Note(eighth, eighth, s.inner, ig), Note(beat, eighth, s.inner, ig)}});
    }
    return patterns;
}

}  // namespace

std::vector<AccompanimentVoices> AccompanimentPatterns::For(const MeasureStyle& style, const BarPlan& bar,
                                                            const Skeleton& skeleton) {
    const bool arrives = bar.role != BarRole::Moving;
    const std::vector<std::int32_t> answers = BassAnswers(style, bar, skeleton.bass);
    std::vector<std::int32_t> others = Neighbours(style, bar, skeleton.inner, style.inner);
    if (others.size() > 2) others.resize(2);
    const Grid grid{style.ticksPerQuarter, style.TicksPerBar(), style.ticksPerQuarter / 2,
                    style.gatePercent[Measure::kBass], style.gatePercent[Measure::kInner]};
    switch (style.accompaniment) {
    case Accompaniment::Waltz: return Waltz(grid, skeleton, arrives, answers, others);
    case Accompaniment::Sustained: return Sustained(grid, skeleton, arrives, answers, others);
    case Accompaniment::March: return March(grid, skeleton, arrives, answers, others);
    }
    return {};
}

}  // namespace zamrit::measures
