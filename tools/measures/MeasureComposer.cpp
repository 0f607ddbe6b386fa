#include "tools/measures/MeasureComposer.h"

#include <algorithm>
#include <set>

#include "tools/measures/AccompanimentPatterns.h"
#include "tools/measures/MeasureCheck.h"
#include "tools/measures/MelodyFigures.h"
#include "tools/measures/SkeletonPlanner.h"

namespace zamrit::measures {
namespace {

struct Composition {
    explicit Composition(MeasureComposer::Book& measures) : book(measures) {}

    std::array<const MeasureStyle*, PartGraph::kParts> styles = MeasureStyle::All();
    std::array<std::vector<Skeleton>, PartGraph::kParts> skeletons;
    MeasureComposer::Book& book;

    const MeasureStyle& Style(BarRef bar) const { return *styles[bar.part]; }
    const std::vector<Measure>* Composed(BarRef bar) const {
        const auto& part = book[bar.part];
        return bar.bar < part.size() ? &part[bar.bar] : nullptr;
    }
};

NoteLine MelodyOf(const MeasureStyle& style, const Figure& figure) {
    const std::int32_t sixteenth = style.TicksPerSixteenth();
    const std::int32_t bar = style.TicksPerBar();
    const auto gatePercent = style.gatePercent[Measure::kMelody];
    NoteLine line;
    std::int32_t start = 0;
    for (std::size_t i = 0; i < figure.keys.size(); ++i) {
        const std::int32_t written = figure.rhythm.sixteenths[i] * sixteenth;
        const bool last = i + 1 == figure.keys.size();
        const std::int32_t length = last ? bar - start : written;
        line.push_back({start, length, std::max(1, written * gatePercent / 100), figure.keys[i], 0});
        start += written;
    }
    return line;
}

// Velocities: each voice's own (the accents are the performance's, MeasurePerformance).
void Voice(const MeasureStyle& style, Measure& measure) {
    for (std::size_t voice = 0; voice < measure.voices.size(); ++voice) {
        for (NoteSpan& note : measure.voices[voice]) {
            note.velocity = style.velocities[voice];
            note.gate = std::clamp(note.gate, 1, 255);
        }
    }
}

// Before the final bar of a part: the bar ends on the dominant in root position with its
// leading tone sounding, so that the final bar makes a perfect authentic cadence.
bool PreparesFinalCadence(const MeasureStyle& style, const Measure& measure) {
    const std::int32_t lastBeat = style.TicksPerBar() - style.ticksPerQuarter;
    const NoteLine& bass = measure.voices[Measure::kBass];
    if (bass.empty() || (bass.back().key - style.tonic - 7) % 12 != 0) return false;
    for (const NoteLine& line : measure.voices) {
        for (const NoteSpan& note : line) {
            if (note.start + note.gate > lastBeat && ((note.key - style.tonic - 11) % 12 + 12) % 12 == 0) return true;
        }
    }
    return false;
}

// Whether the chord's third sounds somewhere in the bar: without it a dominant seventh is no
// dominant and a triad sounds hollow.
bool SoundsThird(const MeasureStyle& style, const BarPlan& plan, const Measure& measure) {
    const std::int32_t third = plan.chord.quality == Chord::Quality::Minor ? 3 : 4;
    for (const NoteLine& line : measure.voices) {
        for (const NoteSpan& note : line) {
            if (((note.key - style.tonic - plan.chord.root - third) % 12 + 12) % 12 == 0) return true;
        }
    }
    return false;
}

bool IsFinal(const BarPlan& bar) { return bar.role == BarRole::Close && bar.localTonic == 0; }

bool JoinsNeighbours(const Composition& composition, BarRef bar, const Measure& candidate) {
    const MeasureStyle& style = composition.Style(bar);
    if (!SoundsThird(style, style.bars[bar.bar], candidate) || !MeasureCheck::Clean(style, candidate)) return false;
    for (const BarRef& before : PartGraph::Preceding(bar)) {
        const std::vector<Measure>* measures = composition.Composed(before);
        if (!measures) continue;
        for (const Measure& measure : *measures) {
            if (!MeasureCheck::Clean(composition.Style(before), measure, style, candidate)) return false;
        }
    }
    for (const BarRef& after : PartGraph::Following(bar)) {
        const MeasureStyle& next = composition.Style(after);
        if (after.part == bar.part && IsFinal(next.bars[after.bar]) && !PreparesFinalCadence(style, candidate)) {
            return false;
        }
        if (const std::vector<Measure>* measures = composition.Composed(after)) {
            for (const Measure& measure : *measures) {
                if (!MeasureCheck::Clean(style, candidate, next, measure)) return false;
            }
        } else if (!MeasureCheck::Clean(style, candidate, next,
                                        SkeletonPlanner::AsMeasure(next, composition.skeletons[after.part][after.bar]))) {
            return false;
        }
    }
    return true;
}

// The measures of one bar: patterns taken in turn, each with the next figure that has not
// been used in this bar and joins cleanly, so that the bar's measures differ in both.
std::vector<Measure> ComposeBar(const Composition& composition, BarRef bar) {
    const MeasureStyle& style = composition.Style(bar);
    const BarPlan& plan = style.bars[bar.bar];
    const Skeleton& skeleton = composition.skeletons[bar.part][bar.bar];
    std::vector<std::int32_t> nextKeys;
    for (const BarRef& after : PartGraph::Following(bar)) {
        nextKeys.push_back(composition.skeletons[after.part][after.bar].melody);
    }
    const std::vector<Figure> figures = MelodyFigures::For(style, plan, nextKeys);
    const std::vector<AccompanimentVoices> accompaniments = AccompanimentPatterns::For(style, plan, skeleton);
    std::int32_t patternCount = 0;
    for (const AccompanimentVoices& voices : accompaniments) patternCount = std::max(patternCount, voices.pattern + 1);

    std::vector<Measure> measures;
    std::set<std::size_t> usedFigures;
    std::set<std::pair<std::size_t, std::size_t>> tried;
    // Figures in an order that changes rhythm from one to the next.
    std::vector<std::size_t> order(figures.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto rank = [&](std::size_t i) {
            std::size_t sameRhythmBefore = 0;
            for (std::size_t j = 0; j < i; ++j) sameRhythmBefore += figures[j].rhythm.sixteenths == figures[i].rhythm.sixteenths;
            return sameRhythmBefore;
        };
        return rank(a) < rank(b);
    });
    const auto wanted = static_cast<std::size_t>(style.alternatives);
    for (std::int32_t round = 0; measures.size() < wanted && round < 8 * style.alternatives; ++round) {
        const std::int32_t pattern = round % std::max(patternCount, 1);
        bool placed = false;
        for (const std::size_t f : order) {
            if (usedFigures.count(f) && round < 2 * style.alternatives) continue;
            for (std::size_t a = 0; a < accompaniments.size() && !placed; ++a) {
                if (accompaniments[a].pattern != pattern || tried.count({f, a})) continue;
                tried.insert({f, a});
                Measure measure;
                measure.voices[Measure::kMelody] = MelodyOf(style, figures[f]);
                measure.voices[Measure::kBass] = accompaniments[a].bass;
                measure.voices[Measure::kInner] = accompaniments[a].inner;
                Voice(style, measure);
                if (std::find(measures.begin(), measures.end(), measure) != measures.end()) continue;
                if (!JoinsNeighbours(composition, bar, measure)) continue;
                measures.push_back(std::move(measure));
                usedFigures.insert(f);
                placed = true;
            }
            if (placed) break;
        }
    }
    return measures;
}

}  // namespace

bool MeasureComposer::ComposeAll(Book& book, std::string& error) {
    Composition composition(book);
    composition.skeletons = SkeletonPlanner::Plan(error);
    if (composition.skeletons[0].empty()) return false;
    for (std::size_t part = 0; part < PartGraph::kParts; ++part) {
        book[part].clear();
        for (std::size_t bar = 0; bar < PartGraph::BarsOf(part); ++bar) {
            std::vector<Measure> measures = ComposeBar(composition, {part, bar});
            if (measures.size() < static_cast<std::size_t>(composition.styles[part]->alternatives)) {
                error = std::string(composition.styles[part]->prefix) + " bar " + std::to_string(bar + 1) +
                        ": only " + std::to_string(measures.size()) + " measures join cleanly";
                return false;
            }
            book[part].push_back(std::move(measures));
        }
    }
    return true;
}

}  // namespace zamrit::measures
