// Timing accuracy of a real-time playback: a whole Minuet / Trio piece of the game's measure
// files, played through the log output on the system clock. Each event's send time, read
// from the log, is set against the time the timer sequencer intends for it: the first
// firing's due time (one tick period after the player armed it) plus the tick delays in whole
// milliseconds that the chain of one-shot timers adds up. Reported as counters: p50, p99 and
// max lateness and the drift at the last event (microseconds), and the CPU time the process
// spends on the playback (the timer thread's sends and this thread's polls). With
// ZAMRIT_TIMING_DUMP set, every event more than 0.5 ms late is listed on standard error.
#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/Composition.h"
#include "melody/MobileData.h"
#include "mfi/MFiData.h"
#include "midiout/MidiPlayer.h"
#include "midiout/SequencerState.h"
#include "midiseq/MidiF0Data.h"
#include "platform/LogMidiOutput.h"
#include "platform/MidiOutService.h"
#include "platform/TimerService.h"

namespace zamrit {
namespace {

constexpr std::int32_t kCapacity = 0x60000;

std::unique_ptr<MidiF0Data> MinuetTrioSequence() {
    std::filesystem::current_path(ZAMRIT_MEASURE_DIR);
    RuntimeRandom random(2026);
    DiceState dice;
    dice.Throw(PieceForm::MinuetTrio, random);
    MFiData piece(4, kCapacity);
    ComposeMinuetTrio(dice.firstDie, dice.secondDie, piece);
    MobileData melody(kCapacity);
    piece.ToMobileData(melody);
    return melody.MakeSequence(0, melody.MeasureLength() * melody.MeasureCount());
}

bool WritesALine(const MusicEvent& event) {
    switch (event.kind) {
        case 0x80: case 0x90: case 0xB0: case 0xC0: case 0xE0: case 0xF0: case 0xF7: return true;
        default: return false;
    }
}

// The milliseconds after the first firing at which the sequencer means to send each event
// that writes a log line, in sending order; the pre-roll before the first note is left out.
std::vector<std::int64_t> IntendedTimes(const MidiF0Data& sequence) {
    std::vector<std::int64_t> times;
    std::int64_t bpm = 240;
    const auto follow = [&](const MusicEvent& event) {
        if (event.kind == 0xFF && event.code == 0x51 && event.value / 1000 != 0) {
            bpm = std::max<std::int64_t>(10, 60000 / (event.value / 1000));
        }
    };
    const std::int32_t count = sequence.track->count();
    std::int32_t index = 0;
    while (index < count && sequence.track->At(index).kind != 0x90) follow(sequence.track->At(index++));
    std::int64_t at = 0;
    for (; index < count; ++index) {
        const MusicEvent& event = sequence.track->At(index);
        follow(event);
        if (WritesALine(event)) times.push_back(at);
        if (index + 1 < count) {
            at += static_cast<std::int64_t>(sequence.track->At(index + 1).delta) * 60000 / (sequence.division * bpm);
        }
    }
    return times;
}

std::vector<std::int64_t> LoggedTimes(const std::string& path) {
    std::vector<std::int64_t> times;
    std::ifstream log(path);
    for (std::string line; std::getline(log, line);) {
        if (line.find("reset") != std::string::npos || line.find("close") != std::string::npos) continue;
        times.push_back(std::stoll(line.substr(0, line.find(' '))));
    }
    return times;
}

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The log output as the mapper, noting when it was opened: log times count from there.
class TimedLogService final : public MidiOutService {
public:
    explicit TimedLogService(std::string path) : path_(std::move(path)) {}
    std::uint32_t DeviceCount() override { return 1; }
    std::unique_ptr<MidiOutput> Open(std::int32_t) override {
        auto output = LogMidiOutput::Open(path_);
        opened = CurrentTimerService().Now();
        return output;
    }
    ClockTime opened{};

private:
    std::string path_;
};

void BM_RealTimePlaybackOfMinuetTrio(benchmark::State& state) {
    const std::string logPath = (std::filesystem::temp_directory_path() /
                                 ("zamrit-timing-" + std::to_string(::getpid()) + ".log")).string();
    for (auto _ : state) {
        std::unique_ptr<MidiF0Data> sequence = MinuetTrioSequence();
        const std::vector<std::int64_t> intended = IntendedTimes(*sequence);
        TimedLogService service(logPath);
        ScopedMidiOutService installed(service);

        // The player as the worker runs it: started on this thread, the chain on the timer
        // thread. The first firing is due one tick period after the player armed it.
        const double cpuBefore = CpuSeconds();
        ClockTime firstDue;
        {
            MidiPlayer player(*sequence, -1);
            firstDue = CurrentTimerService().Now() + std::chrono::milliseconds(Sequencer().tickPeriodMs.load());
            while (Sequencer().playing != 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            MidiPlayer::Stop();
        }
        const double cpu = CpuSeconds() - cpuBefore;

        const std::vector<std::int64_t> logged = LoggedTimes(logPath);
        // The timer-sent lines are the last ones of the log.
        if (logged.size() < intended.size() || intended.empty()) {
            state.SkipWithError("the log does not hold every event");
            return;
        }
        const std::size_t first = logged.size() - intended.size();
        const auto dueFromOpen =
            std::chrono::duration_cast<std::chrono::microseconds>(firstDue - service.opened).count();
        std::vector<double> lateness;
        for (std::size_t i = 0; i < intended.size(); ++i) {
            lateness.push_back(static_cast<double>(logged[first + i] - dueFromOpen - intended[i] * 1000));
        }
        const double drift = lateness.back();
        if (std::getenv("ZAMRIT_TIMING_DUMP") != nullptr) {
            for (std::size_t i = 0; i < lateness.size(); ++i) {
                if (lateness[i] > 500) std::fprintf(stderr, "late event %zu at %lld ms: %.0f us\n", i, static_cast<long long>(intended[i]), lateness[i]);
            }
        }
        std::sort(lateness.begin(), lateness.end());
        const auto percentile = [&](double p) {
            return lateness[static_cast<std::size_t>(p * static_cast<double>(lateness.size() - 1))];
        };
        state.counters["events"] = static_cast<double>(intended.size());
        state.counters["p50_late_us"] = percentile(0.50);
        state.counters["p99_late_us"] = percentile(0.99);
        state.counters["max_late_us"] = lateness.back();
        state.counters["min_late_us"] = lateness.front();
        state.counters["drift_last_us"] = drift;
        state.counters["piece_s"] = static_cast<double>(intended.back()) / 1000;
        state.counters["cpu_ms"] = cpu * 1000;
    }
    std::filesystem::remove(logPath);
}
BENCHMARK(BM_RealTimePlaybackOfMinuetTrio)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace zamrit
