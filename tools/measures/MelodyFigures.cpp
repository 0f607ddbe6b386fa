#include "tools/measures/MelodyFigures.h"

#include <algorithm>
#include <cstdlib>

namespace zamrit::measures {
namespace {

constexpr std::int32_t kSixteenthsPerBeat = 4;
constexpr std::size_t kFiguresPerRhythm = 20;
constexpr std::size_t kSearchLimit = 4000;

std::int32_t PitchClass(std::int32_t semitones) { return ((semitones % 12) + 12) % 12; }
bool IsStep(std::int32_t interval) { return std::abs(interval) == 1 || std::abs(interval) == 2; }
bool IsSixth(std::int32_t interval) { return std::abs(interval) == 8 || std::abs(interval) == 9; }

// What one bar allows: its scale, its chord, and where its melody must go next.
struct BarTones {
    std::vector<std::int32_t> scale;  // pitch classes
    std::vector<std::int32_t> chord;  // pitch classes
    std::int32_t seventh = -1;        // pitch class of a dominant seventh, or -1
    Range range;
    std::vector<std::int32_t> nextKeys;
    std::int32_t endClass = -1;       // a closing bar's last note: the tonic

    bool InScale(std::int32_t key) const {
        return std::find(scale.begin(), scale.end(), PitchClass(key)) != scale.end();
    }
    bool InChord(std::int32_t key) const {
        return std::find(chord.begin(), chord.end(), PitchClass(key)) != chord.end();
    }
    bool IsSeventh(std::int32_t key) const { return PitchClass(key) == seventh; }
};

BarTones TonesOf(const MeasureStyle& style, const BarPlan& bar, const std::vector<std::int32_t>& nextKeys) {
    BarTones tones;
    const std::int32_t tonic = style.tonic + bar.localTonic;
    for (const std::int32_t step : {0, 2, 4, 5, 7, 9, 11}) tones.scale.push_back(PitchClass(tonic + step));
    const std::int32_t root = style.tonic + bar.chord.root;
    for (const std::int32_t tone : bar.chord.Tones()) tones.chord.push_back(PitchClass(root + tone));
    if (bar.chord.quality == Chord::Quality::DominantSeventh) tones.seventh = PitchClass(root + 10);
    tones.range = style.melody;
    tones.nextKeys = nextKeys;
    if (bar.role == BarRole::Close && bar.localTonic == 0) tones.endClass = PitchClass(style.tonic);
    return tones;
}

// Whether `key` may follow the notes so far at sixteenth `onset`.
bool MayFollow(const BarTones& tones, const std::vector<std::int32_t>& keys, std::int32_t onset, std::int32_t key) {
    const std::int32_t previous = keys.back();
    const std::int32_t interval = key - previous;
    const std::int32_t leap = std::abs(interval);
    if (!tones.range.Holds(key) || !tones.InScale(key)) return false;
    if (leap == 6 || leap > 9) return false;
    const bool chordTone = tones.InChord(key);
    if (onset % kSixteenthsPerBeat == 0 && !chordTone) return false;
    if (!chordTone && !IsStep(interval)) return false;
    if (!tones.InChord(previous) && !IsStep(interval)) return false;
    if (tones.IsSeventh(previous) && interval != -1 && interval != -2) return false;
    if (interval == 0 && (!chordTone || (keys.size() >= 2 && keys[keys.size() - 2] == previous))) return false;
    if (keys.size() >= 2) {
        const std::int32_t before = previous - keys[keys.size() - 2];
        if (IsSixth(before) && (!IsStep(interval) || (before > 0) == (interval > 0))) return false;
    }
    return true;
}

// Whether the figure's last note leads into every tone that can follow.
bool LeadsOn(const BarTones& tones, const std::vector<std::int32_t>& keys) {
    const std::int32_t last = keys.back();
    const std::int32_t before = keys.size() >= 2 ? last - keys[keys.size() - 2] : 0;
    if (tones.endClass >= 0 && PitchClass(last) != tones.endClass) return false;
    for (const std::int32_t next : tones.nextKeys) {
        const std::int32_t interval = next - last;
        if (std::abs(interval) > 2) return false;
        // A semitone that only alters the note (C sharp to C) is no step of the melody.
        if (std::abs(interval) == 1 && !tones.InScale(next)) return false;
        if (!tones.InChord(last) && interval == 0) return false;
        if (tones.IsSeventh(last) && interval != -1 && interval != -2) return false;
        if (IsSixth(before) && (!IsStep(interval) || (before > 0) == (interval > 0))) return false;
    }
    return true;
}

void Search(const BarTones& tones, const Rhythm& rhythm, std::vector<std::int32_t>& keys,
            std::int32_t onset, std::vector<Figure>& found) {
    if (found.size() >= kSearchLimit) return;
    if (keys.size() == rhythm.sixteenths.size()) {
        if (LeadsOn(tones, keys)) found.push_back({rhythm, keys});
        return;
    }
    const std::int32_t previous = keys.back();
    for (std::int32_t key = previous - 9; key <= previous + 9; ++key) {
        if (!MayFollow(tones, keys, onset, key)) continue;
        keys.push_back(key);
        Search(tones, rhythm, keys, onset + rhythm.sixteenths[keys.size() - 1], found);
        keys.pop_back();
    }
}

// How much a figure sings: steps cost nothing, repeated notes and wide leaps cost more, and a
// leap that is not balanced by motion the other way costs extra.
std::int32_t Awkwardness(const std::vector<std::int32_t>& keys) {
    std::int32_t cost = 0;
    for (std::size_t i = 1; i < keys.size(); ++i) {
        const std::int32_t interval = keys[i] - keys[i - 1];
        const std::int32_t leap = std::abs(interval);
        cost += leap == 0 ? 3 : leap <= 2 ? 0 : leap <= 4 ? 1 : leap <= 7 ? 3 : 5;
        if (i >= 2 && std::abs(keys[i - 1] - keys[i - 2]) > 4 && (interval > 0) == (keys[i - 1] > keys[i - 2])) {
            cost += 3;
        }
    }
    return cost;
}

// The most singing figures of one rhythm, no two with the same contour.
std::vector<Figure> Best(std::vector<Figure> found, std::size_t count) {
    std::stable_sort(found.begin(), found.end(), [](const Figure& a, const Figure& b) {
        return Awkwardness(a.keys) < Awkwardness(b.keys);
    });
    std::vector<Figure> best;
    for (Figure& figure : found) {
        if (best.size() == count) break;
        best.push_back(std::move(figure));
    }
    return best;
}

}  // namespace

std::vector<Rhythm> MelodyFigures::Rhythms(std::int32_t beatsPerBar, BarRole role, bool singing) {
    const bool arrives = role != BarRole::Moving;
    if (beatsPerBar == 3 && singing && !arrives) {
        return {{{8, 4}},    {{4, 8}},    {{6, 2, 4}},  {{4, 4, 4}}, {{4, 6, 2}},
                {{2, 2, 8}}, {{8, 2, 2}}, {{4, 2, 2, 4}}, {{6, 2, 2, 2}}, {{12}}};
    }
    if (beatsPerBar == 3) {
        if (arrives) {
            return {{{12}}, {{4, 8}}, {{2, 2, 8}}, {{3, 1, 8}}, {{1, 1, 2, 8}}, {{4}, true},
                    {{2, 2}, true}, {{8}, true}, {{4, 4}, true}, {{2, 2, 4}, true}};
        }
        return {{{4, 4, 4}},    {{2, 2, 4, 4}}, {{4, 2, 2, 4}},       {{4, 4, 2, 2}},
                {{2, 2, 2, 2, 4}}, {{6, 2, 4}}, {{4, 6, 2}},          {{2, 2, 2, 2, 2, 2}},
                {{8, 4}},       {{4, 2, 2, 2, 2}}, {{3, 1, 4, 4}},    {{1, 1, 2, 4, 4}},
                {{4, 3, 1, 4}}, {{2, 2, 4, 2, 2}}, {{4, 1, 1, 1, 1, 4}}};
    }
    if (arrives) {
        return {{{8}}, {{4}, true}, {{2, 2}, true}, {{1, 1, 2}, true}, {{3, 1}, true}, {{2}, true}};
    }
    return {{{2, 2, 2, 2}}, {{4, 2, 2}},       {{2, 2, 4}},    {{4, 4}},       {{1, 1, 2, 2, 2}},
            {{2, 1, 1, 2, 2}}, {{3, 1, 2, 2}}, {{1, 1, 1, 1, 2, 2}}, {{2, 2, 1, 1, 2}}, {{6, 2}},
            {{2, 2, 2, 1, 1}}, {{3, 1, 4}}};
}

std::vector<Figure> MelodyFigures::For(const MeasureStyle& style, const BarPlan& bar,
                                       const std::vector<std::int32_t>& nextKeys) {
    const BarTones tones = TonesOf(style, bar, nextKeys);
    std::vector<Figure> figures;
    for (const Rhythm& rhythm : Rhythms(style.beatsPerBar, bar.role, style.accompaniment == Accompaniment::Sustained)) {
        std::vector<Figure> found;
        std::vector<std::int32_t> keys{bar.melodyKey};
        if (rhythm.sixteenths.size() == 1) {
            if (LeadsOn(tones, keys)) found.push_back({rhythm, keys});
        } else {
            Search(tones, rhythm, keys, rhythm.sixteenths[0], found);
        }
        for (Figure& figure : Best(std::move(found), kFiguresPerRhythm)) figures.push_back(std::move(figure));
    }
    return figures;
}

}  // namespace zamrit::measures
