// Building the score of a long melody: n notes a 32nd apart in 4/4, so the bars (n / 32) grow
// with the notes; 131072 notes fill the 4096 bars a score may have. Each bar of a voice looks
// only at the sounds that sound in it, so the time grows linearly with the notes (the fit is
// printed as the complexity).
#include <benchmark/benchmark.h>

#include <memory>

#include "melody/MobileData.h"
#include "melody/MobileTrackData.h"
#include "score/ScoreBuilder.h"

namespace zamrit {
namespace {

constexpr std::int32_t kThirtySecond = 12;  // at 96 ticks to the quarter
constexpr std::int64_t kNotesPerBar = 32;

std::unique_ptr<MobileData> ThirtySeconds(std::int64_t count) {
    const auto capacity = static_cast<std::int32_t>(count) + 16;
    MobileTrackData track(capacity);
    for (std::int64_t i = 0; i < count; ++i) {
        track.AppendNote(i == 0 ? 0 : kThirtySecond, 0, 60 + static_cast<std::int32_t>(i % 12), 10, 64);
    }
    auto melody = std::make_unique<MobileData>(capacity);
    melody->AddTrack(track);
    melody->timeBase = 96;
    return melody;
}

void BM_ScoreOfThirtySeconds(benchmark::State& state) {
    const std::int64_t notes = state.range(0);
    const auto melody = ThirtySeconds(notes);
    const score::ScoreLayout layout{"", 120, {{"", 0, 4, false, 0, notes / kNotesPerBar, 1}}};
    std::size_t bars = 0;
    for (auto _ : state) {
        const score::Score written = score::ScoreBuilder::Build(*melody, layout);
        bars = written.sections.empty() ? 0 : written.sections.front().bars.size();
        benchmark::DoNotOptimize(bars);
    }
    state.counters["bars"] = static_cast<double>(bars);
    state.SetComplexityN(notes);
}
BENCHMARK(BM_ScoreOfThirtySeconds)->RangeMultiplier(2)->Range(4096, 131072)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
}  // namespace zamrit
