#include "mfi/MFiEventStream.h"

#include "melody/MobileCommand.h"
#include "melody/TickMath.h"
#include "mfi/MFiData.h"
#include "mfi/MFiTempo.h"

namespace zamrit {
namespace {

constexpr std::int32_t kDrumChannel = 9;
constexpr std::int32_t kDrumSlot = 9;
constexpr std::size_t kStreamHead = 8;  // skipped without a look
constexpr std::size_t kEventSize = 4;
constexpr std::int32_t kMelodyKeyBase = 45;

}  // namespace

MFiEventStream::MFiEventStream(std::span<const std::unique_ptr<MFiTrack>, kTrackCount> tracks)
    : tracks_(tracks) {}

void MFiEventStream::Read(const MFiBytes& stream, std::int64_t streamLength) {
    for (std::int64_t p = kStreamHead; p < streamLength; p += kEventSize) {
        const auto offset = static_cast<std::size_t>(p);
        for (std::int64_t& ticks : pendingDeltas_) ticks += stream.At(offset);
        const std::uint8_t status = stream.At(offset + 1);
        if (status == 0xFF) {
            ReadCommand(stream.At(offset + 2), stream.At(offset + 3));
        } else {
            ReadNote(status, stream.At(offset + 2), stream.At(offset + 3));
        }
    }
}

void MFiEventStream::ReadCommand(std::uint8_t command, std::uint8_t parameter) {
    const std::int32_t channel = channelMap_[parameter >> 6];
    MobileTrackData& first = *tracks_[0]->trackData;

    if (command >= 0xC0 && command <= 0xCF) {
        for (const auto& track : tracks_) track->timeBase = TempoTimeBase(command);
        if (parameter == 0) {
            // Zero beats per minute is no tempo: the time base holds, the tempo is left out.
            MFiTrack::ReportError(0x1F00000B);
            first.AppendEmpty(TakeDelta(0));
        } else {
            first.AppendCommand(TakeDelta(0), MusicEvent::kNoChannel, kTempo,
                                MicrosecondsPerQuarter(parameter));
        }
        return;
    }
    switch (command) {
    case 0xB0:
        first.AppendCommand(TakeDelta(0), MusicEvent::kNoChannel, kMasterVolume, parameter);
        return;
    case 0xD0:
        first.AppendCommand(TakeDelta(0), MusicEvent::kNoChannel, 69, parameter & 0x3F);
        return;
    case 0xDE:
        first.AppendEmpty(TakeDelta(0));
        return;
    case 0xD1: case 0xDF:
        return;  // the ticks go on to the next event
    case 0xE0: {
        if (channel == kDrumChannel) return;
        // A full table takes no program change, as in the player the stream was made for.
        if (slotCount_ == kSlotCount) {
            MFiData::ReportError(0x2000000B);
            return;
        }
        const std::int32_t slot = CommandSlot(channel);
        if (slot == kNoSlot) return;
        TrackOfSlot(slot).AppendCommand(TakeDelta(slot / 4), slot % 4, kVoice,
                                        banks_[channel] * 64 + (parameter & 0x3F));
        return;
    }
    case 0xE1:
        banks_[channel] = parameter & 1;
        return;
    case 0xE2: {
        if (channel == kDrumChannel) return;
        const std::int32_t slot = CommandSlot(channel);
        if (slot == kNoSlot) return;
        TrackOfSlot(slot).AppendCommand(TakeDelta(slot / 4), slot % 4, kVolume,
                                        (parameter & 0x3F) * 2);
        return;
    }
    case 0xE3: {
        const std::int32_t slot = CommandSlot(channel);
        if (slot == kNoSlot) return;
        TrackOfSlot(slot).AppendCommand(TakeDelta(slot / 4), slot % 4, kPan, parameter != 0 ? 1 : 0);
        return;
    }
    case 0xE4: {
        const std::int32_t slot = CommandSlot(channel);
        if (slot == kNoSlot) return;
        TrackOfSlot(slot).AppendEmpty(TakeDelta(slot / 4));
        return;
    }
    case 0xE5:
        channelMap_[parameter >> 6] = parameter & 0x0F;
        return;
    default:
        MFiData::ReportError(0x20000006);
        return;
    }
}

void MFiEventStream::ReadNote(std::uint8_t status, std::uint8_t gate, std::uint8_t last) {
    const std::int32_t channel = channelMap_[status >> 6];
    const std::int32_t key = status & 0x3F;
    const std::int32_t octave = last & 0x03;
    std::int32_t slot = kDrumSlot;
    std::int32_t midiKey = 0;
    if (channel == kDrumChannel) {
        midiKey = MFiTrack::DrumKey(key, octave);
    } else {
        midiKey = key + kMelodyKeyBase + 12 * MFiTrack::OctaveShift(octave);
        slot = CommandSlot(channel);
        if (slot == kNoSlot) return;
    }
    TrackOfSlot(slot).AppendNote(TakeDelta(slot / 4), slot % 4, midiKey, gate, (last >> 2) * 2);
}

std::int32_t MFiEventStream::FindSlot(std::int32_t channel, std::int32_t drumKey) {
    for (std::int32_t i = 0; i < slotCount_; ++i) {
        if (channel != kDrumChannel ? slots_[i].channel == channel : slots_[i].drumKey == drumKey) {
            return i;
        }
    }
    if (slotCount_ == kSlotCount) return kNoSlot;
    const std::int32_t slot = slotCount_++;
    slots_[slot].channel = channel;
    if (channel == kDrumChannel) {
        slots_[slot].drumKey = drumKey;
        // The drum slot's channel plays drums; this takes none of the track's pending ticks.
        TrackOfSlot(slot).AppendCommand(0, slot % 4, kDrumMode, 1);
    }
    return slot;
}

std::int32_t MFiEventStream::CommandSlot(std::int32_t channel) {
    const std::int32_t slot = FindSlot(channel, -1);
    if (slot == kNoSlot) MFiData::ReportError(0x2000000B);
    return slot;
}

MobileTrackData& MFiEventStream::TrackOfSlot(std::int32_t slot) const {
    return *tracks_[static_cast<std::size_t>(slot / 4)]->trackData;
}

std::int32_t MFiEventStream::TakeDelta(std::int32_t track) {
    const std::int32_t delta = ClampToInt32(pendingDeltas_[static_cast<std::size_t>(track)]);
    pendingDeltas_[static_cast<std::size_t>(track)] = 0;
    return delta;
}

}  // namespace zamrit
