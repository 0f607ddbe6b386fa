// Building the playable MIDI sequence of a range of a melody.
#include <vector>

#include "melody/MobileData.h"
#include "midiseq/MidiF0Data.h"

namespace zamrit {
namespace {

constexpr std::int32_t kPlayDivision = 96;

}  // namespace

std::unique_ptr<MidiF0Data> MobileData::MakeSequence(std::int32_t startTick,
                                                     std::int32_t endTick,
                                                     std::int32_t* trimmedTicks) const {
    std::vector<std::unique_ptr<MobileChannelData>> extracts;
    for (std::int32_t i = 0; i < channelCount; ++i) {
        const MobileChannelData& list = *channels[i];
        if (list.enabled != 1) continue;
        if (extracts.size() == MobileTrackData::kPlayableChannels) {
            ReportError(0x05000005);
            return nullptr;
        }
        extracts.push_back(MobileChannelData::Extract(list, startTick, endTick, kListCapacity));
    }

    std::vector<const MobileChannelData*> lists;
    lists.reserve(extracts.size());
    for (const auto& extract : extracts) lists.push_back(extract.get());
    const MobileTrackData merged(lists, kListCapacity);
    extracts.clear();

    auto sequence = std::make_unique<MidiF0Data>(kListCapacity);
    merged.ConvertToMidi(*sequence, timeBase, timeSignature, tempo);
    sequence->SetDivision(kPlayDivision);
    sequence->Finalize();
    const std::int32_t trimmed = sequence->TrimLeadingMeasures();
    if (trimmedTicks != nullptr) *trimmedTicks = trimmed;
    return sequence;
}

}  // namespace zamrit
