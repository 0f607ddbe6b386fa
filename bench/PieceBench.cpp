// Pressing Play on a whole piece: loading the measure files, joining them, and building the
// ready MIDI sequence (transfer, cut, merge, convert, rescale, finalise, trim).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/Composition.h"
#include "app/MeasureOrder.h"
#include "melody/MobileData.h"
#include "mfi/MFiData.h"
#include "midiseq/MidiF0Data.h"
#include "tests/support/MeasureFiles.h"

namespace zamrit {
namespace {

constexpr std::int32_t kCapacity = 0x60000;

// The 448 measure files, written once by the MFi writer into a folder of their own that
// becomes the current directory, as the game's is.
class MeasureFolder {
public:
    MeasureFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("zamrit-bench-measures-" + std::to_string(::getpid()))) {
        testing::WriteMeasureFiles(path_, AllMeasureFileNames());
        std::filesystem::current_path(path_);
    }
    ~MeasureFolder() {
        std::filesystem::current_path(std::filesystem::temp_directory_path());
        std::filesystem::remove_all(path_);
    }

private:
    std::filesystem::path path_;
};

void UseMeasureFolder() { static MeasureFolder folder; }

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
