#include "tools/measures/SkeletonPlanner.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "tools/measures/MeasureCheck.h"

namespace zamrit::measures {
namespace {

std::int32_t PitchClass(std::int32_t semitones) { return ((semitones % 12) + 12) % 12; }

struct Planning {
    std::array<std::vector<Skeleton>, PartGraph::kParts> skeletons;
    std::array<const MeasureStyle*, PartGraph::kParts> styles = MeasureStyle::All();
    std::int32_t visits = 0;  // a plan that cannot be voiced gives up instead of searching on
    BarRef furthest{0, 0};     // the furthest bar reached: where a plan to correct fails

    const Skeleton* Planned(BarRef bar) const {
        const auto& part = skeletons[bar.part];
        return bar.bar < part.size() ? &part[bar.bar] : nullptr;
    }
};

// The voicings of a bar's chord, the smoothest after `previous` first.
std::vector<Skeleton> Voicings(const MeasureStyle& style, const BarPlan& plan, const Skeleton* previous) {
    const std::vector<std::int32_t> tones = plan.chord.Tones();
    const std::int32_t root = style.tonic + plan.chord.root;
    const std::int32_t bassClass = PitchClass(root + plan.chord.bassTone);
    std::vector<Skeleton> voicings;
    for (std::int32_t bass = style.bass.low; bass <= style.bass.high; ++bass) {
        if (PitchClass(bass) != bassClass) continue;
        for (std::int32_t inner = style.inner.low; inner <= style.inner.high; ++inner) {
            const bool chordTone = std::any_of(tones.begin(), tones.end(),
                                               [&](std::int32_t t) { return PitchClass(inner - root) == t; });
            if (!chordTone || inner <= bass + 2 || inner >= plan.melodyKey - 2) continue;
            voicings.push_back({bass, inner, plan.melodyKey});
        }
    }
    auto third = [&](const Skeleton& s) {
        const std::int32_t wanted = plan.chord.quality == Chord::Quality::Minor ? 3 : 4;
        return PitchClass(s.inner - root) == wanted || PitchClass(s.melody - root) == wanted ||
               PitchClass(s.bass - root) == wanted;
    };
    // Every skeleton sounds its chord's third, and a seventh is never doubled.
    const bool seventhChord = plan.chord.quality == Chord::Quality::DominantSeventh;
    std::erase_if(voicings, [&](const Skeleton& s) {
        const bool doubledSeventh = seventhChord && PitchClass(s.inner - root) == 10 && PitchClass(s.melody - root) == 10;
        return !third(s) || doubledSeventh;
    });
    auto cost = [&](const Skeleton& s) {
        std::int32_t value = 0;
        if (previous) {
            value += std::abs(s.inner - previous->inner) + std::abs(s.bass - previous->bass) / 2;
        } else {
            value += std::abs(s.inner - (style.inner.low + style.inner.high) / 2) +
                     std::abs(s.bass - (style.bass.low + style.bass.high) / 2);
        }
        return value;
    };
    std::stable_sort(voicings.begin(), voicings.end(),
                     [&](const Skeleton& a, const Skeleton& b) { return cost(a) < cost(b); });
    return voicings;
}

// Figures repeat and ornament the skeleton's tones, so a sixth between two bars' skeleton
// tones could not be turned back by step: the inner voice moves by a fourth at most, the
// bass by no sixth.
bool MovesSmoothly(const Skeleton& from, const Skeleton& to) {
    const std::int32_t bassLeap = std::abs(to.bass - from.bass);
    return std::abs(to.inner - from.inner) <= 5 && bassLeap != 8 && bassLeap != 9;
}

bool FitsNeighbours(const Planning& planning, BarRef bar, const Skeleton& candidate) {
    const MeasureStyle& style = *planning.styles[bar.part];
    for (const BarRef& other : PartGraph::Preceding(bar)) {
        const Skeleton* planned = planning.Planned(other);
        if (planned && !MovesSmoothly(*planned, candidate)) return false;
    }
    for (const BarRef& other : PartGraph::Following(bar)) {
        const Skeleton* planned = planning.Planned(other);
        if (planned && !MovesSmoothly(candidate, *planned)) return false;
    }
    const Measure measure = SkeletonPlanner::AsMeasure(style, candidate);
    for (const BarRef& before : PartGraph::Preceding(bar)) {
        const Skeleton* planned = planning.Planned(before);
        if (planned && !MeasureCheck::Clean(*planning.styles[before.part],
                                            SkeletonPlanner::AsMeasure(*planning.styles[before.part], *planned),
                                            style, measure)) {
            return false;
        }
    }
    for (const BarRef& after : PartGraph::Following(bar)) {
        const Skeleton* planned = planning.Planned(after);
        if (planned && !MeasureCheck::Clean(style, measure, *planning.styles[after.part],
                                            SkeletonPlanner::AsMeasure(*planning.styles[after.part], *planned))) {
            return false;
        }
    }
    return true;
}

// Depth-first over the bars in composing order, each bar's smoothest voicing first.
bool PlanFrom(Planning& planning, BarRef bar) {
    if (bar.part == PartGraph::kParts) return true;
    if (++planning.visits > 3000000) return false;
    if (PartGraph::Before(planning.furthest, bar)) planning.furthest = bar;
    const BarRef next = bar.bar + 1 < PartGraph::BarsOf(bar.part) ? BarRef{bar.part, bar.bar + 1}
                                                                   : BarRef{bar.part + 1, 0};
    const MeasureStyle& style = *planning.styles[bar.part];
    const Skeleton* previous = nullptr;
    for (const BarRef& before : PartGraph::Preceding(bar)) {
        if (!previous) previous = planning.Planned(before);
    }
    for (const Skeleton& candidate : Voicings(style, style.bars[bar.bar], previous)) {
        if (!FitsNeighbours(planning, bar, candidate)) continue;
        planning.skeletons[bar.part].push_back(candidate);
        if (PlanFrom(planning, next)) return true;
        planning.skeletons[bar.part].pop_back();
    }
    return false;
}

}  // namespace

Measure SkeletonPlanner::AsMeasure(const MeasureStyle& style, const Skeleton& skeleton) {
    const std::int32_t bar = style.TicksPerBar();
    Measure measure;
    measure.voices[Measure::kMelody].push_back({0, bar, bar, skeleton.melody, 40});
    measure.voices[Measure::kBass].push_back({0, bar, bar, skeleton.bass, 40});
    measure.voices[Measure::kInner].push_back({0, bar, bar, skeleton.inner, 40});
    return measure;
}

std::array<std::vector<Skeleton>, PartGraph::kParts> SkeletonPlanner::Plan(std::string& error) {
    Planning planning;
    if (!PlanFrom(planning, {0, 0})) {
        error = "no voicing of " + std::string(planning.styles[planning.furthest.part]->prefix) + " bar " +
                std::to_string(planning.furthest.bar + 1) + " keeps the part-writing rules";
        return {};
    }
    return planning.skeletons;
}

}  // namespace zamrit::measures
