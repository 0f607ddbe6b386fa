#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/measures/Measure.h"
#include "tools/measures/MeasureStyle.h"

namespace zamrit::measures {

// A tempo from a tick of the bar on, in whole beats per minute as a tempo command holds it.
struct TempoChange {
    std::int32_t tick;
    std::uint8_t beatsPerMinute;

    bool operator==(const TempoChange&) const = default;
};

// The channel volumes (0-63, doubled on reading) of the three voices from a tick of the bar on.
struct VolumeChange {
    std::int32_t tick;
    std::array<std::uint8_t, Measure::kVoices> volumes;
};

// How a bar position is played, the same for every measure of it: the level of the bar in
// its phrase and section (channel volumes), the downbeat's accent (velocities), the tempo
// (in tempo; broadened at a phrase end; a final ritardando in the piece's last bar) and a
// breath after the last melody note of a phrase that another phrase follows.
class MeasurePerformance {
public:
    // The measure as played at bar `bar` (counted from 0) of its part.
    static Measure Shape(const MeasureStyle& style, std::size_t bar, Measure measure);
    // The channel volume (0-63, doubled on reading) of each voice on the bar's downbeat.
    static std::array<std::uint8_t, Measure::kVoices> Volumes(const MeasureStyle& style, std::size_t bar);
    // The volumes in time order, the first on the downbeat: inside a phrase the bar moves on
    // its beats towards the next bar's level, a crescendo or diminuendo; a phrase's last bar
    // holds its level.
    static std::vector<VolumeChange> Dynamics(const MeasureStyle& style, std::size_t bar);
    // The bar's tempo changes in time order, the first at tick 0.
    static std::vector<TempoChange> Tempo(const MeasureStyle& style, std::size_t bar);

    // The value (0-63) whose level lies `db` above `value` on the synthesizer's curve.
    static std::int32_t Scaled(std::int32_t value, double db);

    // The final ritardando: tempo against the bar's at position x (0-1) through the bar,
    // falling at a constant braking power to kFinalTempo at its end.
    static double FinalRitardando(double x);

    static constexpr double kFinalTempo = 0.55;     // of the tempo, at the bar line
    static constexpr double kRitardandoCurve = 3.0; // the runners' deceleration
    static constexpr double kBroadening = 0.12;     // a phrase end's last eighth, slower by this
    static constexpr double kAccompanimentArch = 0.5;  // of the phrase arch, in bass and inner voice
};

}  // namespace zamrit::measures
