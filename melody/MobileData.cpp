#include "melody/MobileData.h"

#include <algorithm>

#include "melody/MobileCommand.h"
#include "melody/ModuleReporter.h"
#include "melody/MusicConversions.h"
#include "melody/TickMath.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 10> kTexts{{
    {0x05000002, "Internal error occured in MobileData!"},
    {0x05000003, "Channel number exceeds the number which was expected!"},
    {0x05000004, "Can not open file for mobile data!"},
    {0x05000005, "The number of chanel exceeds the number that can be played!"},
    {0x05000006, "Data type error in MobileData!"},
    {0x05000007, "Click operation is too fast!(1)"},
    {0x05000008, "Click operation is too fast!(2)"},
    {0x05000009, "Error in channel of drums in mobile data!"},
    {0x0500000A, "Tempo error has been detected in file to play!"},
    {0x0500000B, "Channel other than 10 is used for drum in converting ringtone melody!"},
}};

constexpr ModuleReporter kReporter{"MBDT", kTexts, "Error occured in MobileData!"};

}  // namespace

MobileData::MobileData(std::int32_t capacity) : capacity(capacity) {}

void MobileData::AddTrack(const MobileTrackData& track) {
    if (channelCount + kListsPerTrack > kMaxChannelLists) {
        ReportError(0x05000003);
        return;
    }
    const std::int32_t first = channelCount;
    for (std::int32_t k = 0; k < kListsPerTrack; ++k) {
        channels[first + k] =
            std::make_unique<MobileChannelData>(first + k, MobileChannelData::kUnset, kListCapacity);
    }
    channelCount += kListsPerTrack;

    std::array<std::int64_t, kListsPerTrack> pending{};
    for (const MusicEvent& event : track.Events()) {
        for (std::int64_t& ticks : pending) ticks += event.delta;
        if (event.channel == MusicEvent::kNoChannel) {
            for (std::int32_t k = 0; k < kListsPerTrack; ++k) {
                channels[first + k]->AppendCopyAt(ClampToInt32(pending[k]), event);
                pending[k] = 0;
            }
        } else if (event.channel < 0 || event.channel >= kListsPerTrack) {
            ReportError(0x05000002);
        } else {
            MobileChannelData& list = *channels[first + event.channel];
            if (event.IsCommand(kDrumMode)) {
                list.channelType =
                    event.value == 1 ? MobileChannelData::kDrum : MobileChannelData::kMelody;
            }
            list.AppendCopyAt(ClampToInt32(pending[event.channel]), event);
            pending[event.channel] = 0;
        }
    }
}

std::int32_t MobileData::MeasureLength() const { return MeasureTicks(timeSignature, timeBase); }

std::int32_t MobileData::MeasureCount() const {
    const std::int32_t unit = MeasureLength();
    std::int32_t measures = 0;
    for (std::int32_t i = 0; i < channelCount; ++i) {
        measures = std::max(measures, channels[i]->LengthInUnits(unit));
    }
    return measures;
}

void MobileData::ReportError(ErrorCode code) { kReporter.Report(code); }

}  // namespace zamrit
