#include "tools/measures/MeasurePerformance.h"

#include <algorithm>
#include <cmath>

namespace zamrit::measures {
namespace {

constexpr std::int32_t kMaxValue = 63;

std::uint8_t WholeTempo(double beatsPerMinute) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(beatsPerMinute), 1L, 255L));
}

}  // namespace

std::int32_t MeasurePerformance::Scaled(std::int32_t value, double db) {
    // Volume and velocity both follow 40·log10(value / full) dB.
    const double scaled = value * std::pow(10.0, db / 40.0);
    return static_cast<std::int32_t>(std::clamp(std::lround(scaled), 1L, static_cast<long>(kMaxValue)));
}

double MeasurePerformance::FinalRitardando(double x) {
    return std::pow(1.0 + (std::pow(kFinalTempo, kRitardandoCurve) - 1.0) * x, 1.0 / kRitardandoCurve);
}

Measure MeasurePerformance::Shape(const MeasureStyle& style, std::size_t bar, Measure measure) {
    for (NoteLine& line : measure.voices) {
        for (NoteSpan& note : line) {
            if (note.start == 0) note.velocity = Scaled(note.velocity, style.performance.accentDb);
        }
    }
    NoteLine& melody = measure.voices[Measure::kMelody];
    if (style.EndsPhrase(bar) && !style.EndsPiece(bar) && !melody.empty()) {
        // A breath: the phrase's last note stops a sixteenth before the next phrase begins.
        NoteSpan& last = melody.back();
        const std::int32_t sounding = style.TicksPerBar() - last.start - style.TicksPerSixteenth();
        last.gate = std::clamp(sounding, 1, last.gate);
    }
    return measure;
}

namespace {

// The volumes at `arch` dB of the phrase arch.
std::array<std::uint8_t, Measure::kVoices> VolumesAt(const MeasureStyle& style, double arch) {
    // The melody shapes the phrase; the accompaniment follows it by half as much.
    std::array<std::uint8_t, Measure::kVoices> volumes{};
    for (std::size_t voice = 0; voice < volumes.size(); ++voice) {
        const double share = voice == Measure::kMelody ? 1.0 : MeasurePerformance::kAccompanimentArch;
        volumes[voice] = static_cast<std::uint8_t>(MeasurePerformance::Scaled(
            style.channelVolumes[voice], style.performance.sectionDb + share * arch));
    }
    return volumes;
}

}  // namespace

std::array<std::uint8_t, Measure::kVoices> MeasurePerformance::Volumes(const MeasureStyle& style,
                                                                       std::size_t bar) {
    return VolumesAt(style, style.performance.barLevelsDb[bar]);
}

std::vector<VolumeChange> MeasurePerformance::Dynamics(const MeasureStyle& style, std::size_t bar) {
    std::vector<VolumeChange> changes{{0, Volumes(style, bar)}};
    if (style.EndsPhrase(bar) || bar + 1 >= style.bars.size()) return changes;
    const double from = style.performance.barLevelsDb[bar];
    const double to = style.performance.barLevelsDb[bar + 1];
    for (std::int32_t beat = 1; beat < style.beatsPerBar; ++beat) {
        const auto volumes = VolumesAt(style, from + (to - from) * beat / style.beatsPerBar);
        if (volumes != changes.back().volumes) changes.push_back({beat * style.ticksPerQuarter, volumes});
    }
    return changes;
}

std::vector<TempoChange> MeasurePerformance::Tempo(const MeasureStyle& style, std::size_t bar) {
    const double tempo = style.beatsPerMinute;
    std::vector<TempoChange> changes{{0, style.beatsPerMinute}};
    if (style.EndsPiece(bar)) {
        // In eighths, or in sixteenths in a bar of two beats, so that it slows gradually.
        const std::int32_t step = style.beatsPerBar >= 3 ? style.ticksPerQuarter / 2 : style.TicksPerSixteenth();
        const std::int32_t steps = style.TicksPerBar() / step;
        changes.clear();
        for (std::int32_t i = 0; i < steps; ++i) {
            const double x = (i + 0.5) / steps;  // the middle of the step
            changes.push_back({i * step, WholeTempo(tempo * FinalRitardando(x))});
        }
    } else if (style.EndsPhrase(bar)) {
        // The eighths of the bar's second half slow by a growing part of kBroadening.
        const std::int32_t eighth = style.ticksPerQuarter / 2;
        const std::int32_t half = style.beatsPerBar;  // eighths in half a bar
        for (std::int32_t k = 1; k <= half; ++k) {
            changes.push_back({(half + k - 1) * eighth, WholeTempo(tempo * (1.0 - kBroadening * k / half))});
        }
    }
    return changes;
}

}  // namespace zamrit::measures
