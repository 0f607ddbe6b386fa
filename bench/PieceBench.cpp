// Pressing Play on a whole piece: loading the measure files, joining them, and building the
// ready MIDI sequence (transfer, cut, merge, convert, rescale, finalise, trim).
#include <benchmark/benchmark.h>

#include <filesystem>
#include "app/Composition.h"
#include "app/MeasureOrder.h"
#include "melody/MobileData.h"
#include "mfi/MFiData.h"
#include "midiseq/MidiF0Data.h"

namespace zamrit {
namespace {

constexpr std::int32_t kCapacity = 0x60000;

// The game's 448 measure files, as the build generates them; their folder becomes the
// current directory, as the game's is.
void UseMeasureFolder() {
    static const bool entered = [] {
        std::filesystem::current_path(ZAMRIT_MEASURE_DIR);
        return true;
    }();
    benchmark::DoNotOptimize(entered);
}

DiceState MinuetTrioDice() {
    RuntimeRandom random(2026);
    DiceState dice;
    dice.Throw(PieceForm::MinuetTrio, random);
    return dice;
}

void BM_LoadMeasureFile(benchmark::State& state) {
    UseMeasureFolder();
    for (auto _ : state) {
        const MFiData measure("MN_07_01.dat", 4);
        benchmark::DoNotOptimize(measure.trackCount);
    }
}
BENCHMARK(BM_LoadMeasureFile);

// From the 32 files of a Minuet / Trio piece to its ready sequence, as the Play button does.
void BM_ReadySequenceOfMinuetTrioPiece(benchmark::State& state) {
    UseMeasureFolder();
    const DiceState dice = MinuetTrioDice();
    std::int64_t events = 0;
    for (auto _ : state) {
        MFiData piece(4, kCapacity);
        ComposeMinuetTrio(dice.firstDie, dice.secondDie, piece);
        MobileData melody(kCapacity);
        piece.ToMobileData(melody);
        const std::int32_t end = melody.MeasureLength() * melody.MeasureCount();
        const auto sequence = melody.MakeSequence(0, end);
        events = sequence->track->count();
        benchmark::DoNotOptimize(events);
    }
    state.counters["events"] = static_cast<double>(events);
}
BENCHMARK(BM_ReadySequenceOfMinuetTrioPiece)->Unit(benchmark::kMicrosecond);

// The part after the files are read: cut, merge, convert, rescale, finalise, trim.
void BM_MakeSequenceOfMinuetTrioPiece(benchmark::State& state) {
    UseMeasureFolder();
    const DiceState dice = MinuetTrioDice();
    MFiData piece(4, kCapacity);
    ComposeMinuetTrio(dice.firstDie, dice.secondDie, piece);
    MobileData melody(kCapacity);
    piece.ToMobileData(melody);
    const std::int32_t end = melody.MeasureLength() * melody.MeasureCount();
    for (auto _ : state) {
        const auto sequence = melody.MakeSequence(0, end);
        benchmark::DoNotOptimize(sequence->track->count());
    }
}
BENCHMARK(BM_MakeSequenceOfMinuetTrioPiece)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zamrit
