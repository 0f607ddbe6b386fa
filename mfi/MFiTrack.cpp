#include "mfi/MFiTrack.h"

#include <algorithm>

#include "melody/MobileCommand.h"
#include "melody/ModuleReporter.h"
#include "melody/OnceOnlyWarnings.h"
#include "melody/TickMath.h"
#include "mfi/MFiTempo.h"
#include "mfi/MFiVoiceType.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 26> kTexts{{
    {0x1F000001, "Internal Error occued in MFiTrack!"},
    {0x1F000002, "Error occured in MFiTrack!"},
    {0x1F000003, "There are data after STOP marker in MFiTrack!"},
    {0x1F000004, "The number more than 255 is set for tempo. The number has been modified to 255."},
    {0x1F000005, "Error occured in MFiTrack!"},
    {0x1F000006, "Invalid channel type in MFiTrack!"},
    {0x1F000007, "Error occured in MFiTrack!"},
    {0x1F000008, "Invalid Track ID has been found in MFiTrack!"},
    {0x1F000009, "Unknown event has been found in MFiTrack!"},
    {0x1F00000A, "Invalid data has been found in MFiTrack!"},
    {0x1F00000B, "Tempo is out of range!"},
    {0x1F00000C, "Invalid setting of drum in MFiTrack!"},
    {0x1F00000D, "Invalid vibrato in MFiTrack!"},
    {0x1F00000E, "Invalid event has been found in MFiTrack!"},
    {0x1F00000F, "Invalid MFi type in MFiTrack!"},
    {0x1F000010, "Size over in MFiTrack!"},
    {0x1F000011, "Invalid information of loop in MFiTrack!"},
    {0x1F000012, "Invalid event type has been found in MFiTrack!"},
    {0x1F000013, "Drum is invalid in MFiTrack!"},
    {0x1F000014, "Data is invalid!"},
    {0x1F000015, "Channel Type is invalid!"},
    {0x1F000016, "Shift data is invalid!"},
    {0x1F000017, "Exclusive data is invalid!"},
    {0x1F000018, "Command is invalid!"},
    {0x1F000019, "Channel is invalid!"},
    {0x1F00001A, "Error occured in drum data operation!"},
}};

constexpr ModuleReporter kReporter{"MFTK", kTexts, "Error occured in MFiTrack!"};

constexpr std::array<ErrorText, 4> kWarnings{{
    {0x1F000001, "MFiトラックで内部エラーが発生しました。"},
    {0x1F000002, "音域が範囲内にありません。範囲内に調整しました。"},
    {0x1F000005, "この機種ではピッチベンドは使用できませんので一部のデータを無効にしました。"},
    {0x1F000007, "16ボイスの機種ではピッチベンドは使用できませんので一部のデータを無効にしました。"},
}};

OnceOnlyWarnings& Warnings() {
    static OnceOnlyWarnings warnings(kReporter, kWarnings);
    return warnings;
}

constexpr MFiTrack::Id kTrackId{'t', 'r', 'a', 'c'};
constexpr std::size_t kChunkHead = 8;      // id and 32-bit length
constexpr std::size_t kCommandSize = 4;
constexpr std::size_t kLongCommandSize = 46;  // command 0xF0: a head and 42 skipped bytes
constexpr std::size_t kExclusiveHead = 5;     // delta, FF FF, 16-bit length
constexpr std::int32_t kMelodyKeyBase = 45;
constexpr std::int32_t kDrumKeyBase = 35;
constexpr std::int32_t kShortNoteVelocity = 100;

bool HasShortNotes(std::int32_t voiceType) { return voiceType == 1 || voiceType == 252; }

bool IsSixteenVoiceType(std::int32_t voiceType) {
    return (voiceType >= 4 && voiceType <= 9) || voiceType == 32;
}

bool HasFullNotes(std::int32_t voiceType) {
    return IsSixteenVoiceType(voiceType) || voiceType == kVoiceType250 || voiceType == kVoiceType254 ||
           voiceType == kVoiceType255;
}

bool TiesNotes(std::int32_t voiceType) {
    return (voiceType >= 6 && voiceType <= 9) || voiceType == 32;
}

// Exclusive messages that carry a value (patterns 1-4) or a bit pair per channel (5, 6),
// compared from byte 2 of the event on.
struct ValuePattern {
    std::array<std::uint8_t, 7> bytes;
    std::size_t length;
    std::int32_t code;
};
constexpr std::array<ValuePattern, 4> kValuePatterns{{
    {{0xFF, 0x00, 0x07, 0x71, 0xB0, 0x01}, 6, 78},
    {{0xFF, 0x00, 0x07, 0x71, 0xB1, 0x01}, 6, 77},
    {{0xFF, 0x00, 0x07, 0x31, 0xB1, 0x01, 0x00}, 7, 77},
    {{0xFF, 0x00, 0x07, 0x31, 0xB0, 0x01, 0x00}, 7, 78},
}};
struct ChannelBitsPattern {
    std::array<std::uint8_t, 7> bytes;
    std::size_t length;
    std::size_t firstChannelByte;
};
constexpr std::array<ChannelBitsPattern, 2> kChannelBitsPatterns{{
    {{0xFF, 0x00, 0x13, 0x31, 0x10, 0x08}, 6, 8},
    {{0xFF, 0x00, 0x14, 0x11, 0x01, 0xF2, 0x07}, 7, 9},
}};

}  // namespace

MFiTrack::MFiTrack(std::int32_t index, std::int32_t voiceType)
    : trackData(std::make_unique<MobileTrackData>(kCapacity)), index(index), voiceType(voiceType) {
    ReportOnce(0);
}

MFiTrack::MFiTrack(const MFiBytes& chunk, std::int32_t index, std::int32_t voiceType,
                   ChannelTypes& sharedTypes)
    : trackData(std::make_unique<MobileTrackData>(kCapacity)), index(index), voiceType(voiceType) {
    ReportOnce(0);
    for (std::int32_t c = 0; c < kTrackChannels; ++c) {
        const std::int32_t number = kTrackChannels * index + c;
        channelType[c] = number >= 0 && number < kChannelCount ? sharedTypes[number] : kInvalidChannel;
    }
    id = chunk.IdAt(0);
    if (id != kTrackId) ReportError(0x1F000008);

    // Events are read up to the chunk's own end, and never past the end of the buffer: a
    // length that claims more than the buffer holds ends with the buffer.
    const std::uint64_t chunkEnd = std::uint64_t{chunk.BigEndian32(4)} + kChunkHead;
    const std::uint64_t end = std::min<std::uint64_t>(chunkEnd, chunk.size());
    Banks banks{};
    std::size_t p = kChunkHead;
    while (p < end) p += ReadEvent(chunk, p, banks, sharedTypes);
    size = ClampToInt32(static_cast<std::int64_t>(std::max<std::size_t>(p, kChunkHead)));

    if (TiesNotes(voiceType)) {
        MergeTiedNotes();
    } else {
        MergeOverlappingNotes();
    }
}

std::size_t MFiTrack::ReadEvent(const MFiBytes& chunk, std::size_t p, Banks& banks,
                                ChannelTypes& sharedTypes) {
    if (chunk.At(p + 1) == 0xFF) return ReadCommand(chunk, p, banks, sharedTypes);
    return ReadNote(chunk, p);
}

std::size_t MFiTrack::ReadNote(const MFiBytes& chunk, std::size_t p) {
    const std::int32_t delta = chunk.At(p);
    const std::uint8_t status = chunk.At(p + 1);
    const std::int32_t channel = status >> 6;
    const std::int32_t key = status & 0x3F;
    const std::int32_t gate = chunk.At(p + 2);
    if (HasShortNotes(voiceType)) {
        trackData->AppendNote(delta, channel, NoteKey(channel, key, 0), gate, kShortNoteVelocity);
        return 3;
    }
    if (!HasFullNotes(voiceType)) {
        // No note rules for this voice type: the event keeps its time and plays nothing.
        ReportError(0x1F00000F);
        trackData->AppendEmpty(delta);
        return 4;
    }
    const std::uint8_t last = chunk.At(p + 3);
    trackData->AppendNote(delta, channel, NoteKey(channel, key, last & 0x03), gate,
                          (last >> 2) * 2);
    return 4;
}

std::int32_t MFiTrack::NoteKey(std::int32_t channel, std::int32_t key, std::int32_t octave) const {
    const std::int32_t type = channelType[channel];
    if (type == kMelodyChannel) return key + kMelodyKeyBase + 12 * OctaveShift(octave);
    if (type == kDrumChannel) {
        if (IsSixteenVoiceType(voiceType)) return key + kDrumKeyBase + 12 * OctaveShift(octave);
        if (voiceType == kVoiceType250) return DrumKey(key, octave) + 12 * OctaveShift(octave);
        if (voiceType == kVoiceType255) return DrumKey(key, octave);
    }
    // A channel whose type does not fit the voice type: reported, and the note keeps the
    // plain drum numbering so that it still has a key.
    ReportError(0x1F000006);
    return key + kDrumKeyBase + 12 * OctaveShift(octave);
}

std::size_t MFiTrack::ReadCommand(const MFiBytes& chunk, std::size_t p, Banks& banks,
                                  ChannelTypes& sharedTypes) {
    const std::int32_t delta = chunk.At(p);
    const std::uint8_t command = chunk.At(p + 2);
    const std::uint8_t parameter = chunk.At(p + 3);
    const std::int32_t channel = parameter >> 6;
    const std::int32_t level = (parameter & 0x3F) * 2;
    MobileTrackData& events = *trackData;

    switch (command) {
    case 0xB0:
        events.AppendCommand(delta, MusicEvent::kNoChannel, kMasterVolume, parameter);
        break;
    case 0xB1:
        ReportError(0x1F000009);
        events.AppendEmpty(delta);
        break;
    case 0xBA:
        ReadChannelAssignment(delta, parameter, sharedTypes);
        break;
    case 0xC7: case 0xCF:
        ReportError(0x1F00000B);
        events.AppendEmpty(delta);
        break;
    case 0xD0: case 0xDC: case 0xDD: case 0xDE: case 0xDF: case 0xE8: case 0xE9: case 0xEA:
        events.AppendEmpty(delta);
        break;
    case 0xD1:
        break;  // no event: its delta is dropped with it
    case 0xE0:
        events.AppendCommand(delta, channel, kVoice, banks[channel] * 64 + (parameter & 0x3F));
        break;
    case 0xE1:
        banks[channel] = parameter & 1;
        events.AppendEmpty(delta);
        break;
    case 0xE2:
        events.AppendCommand(delta, channel, kVolume, level);
        break;
    case 0xE3:
        events.AppendCommand(delta, channel, kPan, level);
        break;
    case 0xE4:
        events.AppendCommand(delta, channel, kPitchBend, level);
        break;
    case 0xE5:
        if ((parameter & 0x0F) == 9) {
            channelType[channel] = kDrumChannel;
            events.AppendCommand(delta, channel, kDrumMode, 1);
        } else {
            ReportError(0x1F00000C);
            events.AppendCommand(delta, channel, kDrumMode, 0);
        }
        break;
    case 0xE6:
        ReportError(0x1F000014);
        events.AppendEmpty(delta);
        break;
    case 0xE7:
        events.AppendCommand(delta, channel, 71, parameter & 0x3F);
        break;
    case 0xF0:
        events.AppendEmpty(delta);
        return kLongCommandSize;
    case 0xF1:
        ReportError(0x1F00000D);
        events.AppendEmpty(delta);
        break;
    case 0xFF:
        return ReadExclusive(chunk, p);
    default:
        if (command >= 0xC0 && command <= 0xCE) {
            ReadTempo(delta, command, parameter);
        } else {
            ReportError(0x1F00000E);
            events.AppendEmpty(delta);
        }
        break;
    }
    return kCommandSize;
}

void MFiTrack::ReadChannelAssignment(std::int32_t delta, std::uint8_t parameter,
                                     ChannelTypes& sharedTypes) {
    const std::int32_t number = parameter >> 3;
    const std::int32_t type = (parameter & 1) != 0 ? kDrumChannel : kMelodyChannel;
    if (number >= kChannelCount) {
        ReportError(0x1F00000A);
    } else {
        sharedTypes[number] = type;
        if (number / kTrackChannels == index) channelType[number % kTrackChannels] = type;
    }
    // MFiData moves the assignment to the track that owns the channel.
    trackData->AppendCommand(delta, -1, kChannelAssign, parameter);
}

void MFiTrack::ReadTempo(std::int32_t delta, std::uint8_t command, std::uint8_t parameter) {
    timeBase = TempoTimeBase(command);
    if (parameter == 0) {
        // Zero beats per minute is no tempo: the time base holds, the tempo is left out.
        ReportError(0x1F00000B);
        trackData->AppendEmpty(delta);
        return;
    }
    trackData->AppendCommand(delta, MusicEvent::kNoChannel, kTempo,
                             MicrosecondsPerQuarter(parameter));
}

std::size_t MFiTrack::ReadExclusive(const MFiBytes& chunk, std::size_t p) {
    const std::int32_t delta = chunk.At(p);
    const std::size_t size = kExclusiveHead + chunk.BigEndian16(p + 3);
    const MFiBytes event = chunk.From(p);

    for (const ValuePattern& pattern : kValuePatterns) {
        if (!event.Matches(2, std::span(pattern.bytes).first(pattern.length))) continue;
        const std::int32_t value = ((event.At(9) & 1) << 6) + (event.At(10) & 0x3F);
        trackData->AppendCommand(delta, MusicEvent::kNoChannel, pattern.code, value);
        return size;
    }
    for (const ChannelBitsPattern& pattern : kChannelBitsPatterns) {
        if (!event.Matches(2, std::span(pattern.bytes).first(pattern.length))) continue;
        // The first event made carries the exclusive event's delta, the others follow at
        // once; a message that makes none leaves an empty event to keep the time.
        std::int32_t pending = delta;
        const std::int32_t before = trackData->count();
        for (std::int32_t i = 0; i < kChannelCount; ++i) {
            const std::uint8_t bits = event.At(pattern.firstChannelByte + i);
            if ((bits & 0x02) != 0) {
                trackData->AppendCommand(pending, MusicEvent::kNoChannel, 75, i);
                pending = 0;
            }
            if ((bits & 0x01) != 0) {
                trackData->AppendCommand(pending, MusicEvent::kNoChannel, 76, i);
                pending = 0;
            }
        }
        if (trackData->count() == before) trackData->AppendEmpty(delta);
        return size;
    }
    trackData->AppendEmpty(delta);
    return size;
}

void MFiTrack::Append(const MFiTrack& other) {
    // Counted first: a track appended to itself copies its own events once.
    const std::int32_t count = other.trackData->count();
    const std::int32_t room = MobileTrackData::kEventLimit - trackData->count();
    const std::int32_t copied = std::min(count, std::max(room, 0));
    for (std::int32_t i = 0; i < copied; ++i) trackData->AppendCopy(other.trackData->At(i));
    if (copied < count) MobileTrackData::ReportError(0x0C000008);
}

void MFiTrack::RescaleTimeBase(std::int32_t newBase) {
    if (newBase == timeBase || timeBase <= 0 || newBase <= 0) return;
    const double durationFactor = static_cast<double>(newBase) / timeBase;
    for (MusicEvent& event : trackData->Events()) {
        event.delta = ClampToInt32(std::int64_t{event.delta} * newBase / timeBase);
        const double duration = event.duration * durationFactor;
        event.duration = ClampToInt32(static_cast<std::int64_t>(
            std::clamp(duration, -2147483648.0, 2147483647.0)));
    }
    timeBase = newBase;
}

void MFiTrack::MergeOverlappingNotes() {
    std::array<std::int64_t, kChannelCount> remaining{};
    std::array<std::int32_t, kChannelCount> last{};
    for (std::int32_t i = 0; i < trackData->count(); ++i) {
        MusicEvent& event = trackData->At(i);
        for (std::int64_t& ticks : remaining) ticks = std::max<std::int64_t>(ticks - event.delta, 0);
        if (event.kind != kNoteEvent || event.channel < 0 || event.channel >= kChannelCount) continue;
        const std::int32_t c = event.channel;
        if (remaining[c] > 0) {
            // Joined into the note that still sounds, which stays the one later notes join:
            // a third overlapping note must not lengthen the empty event this one becomes.
            MusicEvent& sounding = trackData->At(last[c]);
            sounding.duration = AddTicks(sounding.duration, event.duration);
            event.kind = kEmptyEvent;
            event.channel = 0;
        } else {
            last[c] = i;
        }
        remaining[c] = event.duration;
    }
}

void MFiTrack::MergeTiedNotes() {
    const std::int32_t count = trackData->count();
    for (std::int32_t i = 0; i < count; ++i) {
        MusicEvent& note = trackData->At(i);
        if (note.kind != kNoteEvent || note.channel < 0 || note.channel >= kChannelCount) continue;
        if (channelType[note.channel] == kDrumChannel) continue;
        std::int64_t left = note.duration;
        for (std::int32_t j = i + 1; j < count; ++j) {
            MusicEvent& next = trackData->At(j);
            left -= next.delta;
            if (left <= 0) break;
            if (next.kind == kNoteEvent && next.key == note.key && next.channel == note.channel) {
                note.duration = ClampToInt32(note.duration + next.duration - left);
                next.kind = kEmptyEvent;
            }
        }
    }
    trackData->Purge();
}

std::int32_t MFiTrack::OctaveShift(std::int32_t code) {
    switch (code) {
    case 0: return 0;
    case 1: return 1;
    case 2: return -2;
    case 3: return -1;
    default:
        ReportError(0x1F000016);
        return 0;
    }
}

std::int32_t MFiTrack::DrumKey(std::int32_t key, std::int32_t code) {
    if (code == 3 && key >= 2 && key <= 11) return key + 33;
    if (code == 0 && key >= 0 && key <= 36) return key + 45;
    ReportOnce(0x1F000001);
    return 35;
}

void MFiTrack::ReportError(ErrorCode code) { kReporter.Report(code); }

void MFiTrack::ReportOnce(ErrorCode code) { Warnings().Report(code); }

}  // namespace zamrit
