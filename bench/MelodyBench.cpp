// Cutting and merging the channel lists of a whole piece: the mobile half of pressing Play.
#include <benchmark/benchmark.h>

#include <vector>

#include "melody/MobileCommand.h"
#include "melody/MobileData.h"

namespace zamrit {
namespace {

constexpr std::int32_t kCapacity = 0x60000;

// A 32-bar piece of three voices: program and volume every bar, a note every eighth.
MobileData ThirtyTwoBarMelody() {
    MobileTrackData track(kCapacity);
    track.AppendCommand(0, MusicEvent::kNoChannel, kTempo, 500000);
    for (int bar = 0; bar < 32; ++bar) {
        for (int channel = 0; channel < 3; ++channel) {
            track.AppendCommand(0, channel, kVoice, 6);
            track.AppendCommand(0, channel, kVolume, 100);
        }
        for (int eighth = 0; eighth < 6; ++eighth) {
            for (int channel = 0; channel < 3; ++channel) {
                track.AppendNote(channel == 0 ? 48 : 0, channel, 60 + eighth, 48, 100);
            }
        }
    }
    track.AppendCommand(0, MusicEvent::kNoChannel, kTrackEnd, 0);
    MobileData melody(kCapacity);
    melody.AddTrack(track);
    melody.timeBase = 96;
    return melody;
}

void BM_CutAndMergeWholePiece(benchmark::State& state) {
    const MobileData melody = ThirtyTwoBarMelody();
    const std::int32_t end = melody.MeasureLength() * melody.MeasureCount();
    for (auto _ : state) {
        std::vector<std::unique_ptr<MobileChannelData>> extracts;
        std::vector<const MobileChannelData*> lists;
        for (std::int32_t i = 0; i < melody.channelCount; ++i) {
            extracts.push_back(MobileChannelData::Extract(melody.Channel(i), 0, end, kCapacity));
            lists.push_back(extracts.back().get());
        }
        MobileTrackData merged(lists, kCapacity);
        benchmark::DoNotOptimize(merged.count());
    }
}
BENCHMARK(BM_CutAndMergeWholePiece);

}  // namespace
}  // namespace zamrit
