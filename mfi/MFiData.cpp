#include "mfi/MFiData.h"

#include <algorithm>
#include <utility>

#include "melody/MobileCommand.h"
#include "melody/ModuleReporter.h"
#include "mfi/MFiEventStream.h"
#include "mfi/MFiVoiceType.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 9> kTexts{{
    {0x20000001, "Internal Error occured in MFiData!"},
    {0x20000002, "There are too many tracks!"},
    {0x20000003, "Voice of loaded file and voice of setting does not match."},
    {0x20000005, "There are an error of specifying track of MFi."},
    {0x20000006, "Unknown event has been found in MFi!"},
    {0x20000007, "There are an error of specifying channel of MFi."},
    {0x20000008, "Error occured during memory allocation for MFi."},
    {0x20000009, "Error occued during data arrangement of terminal. Provablly contertion is OK."},
    {0x2000000A, "PMD 16 voice is not supported!"},
}};

constexpr ModuleReporter kReporter{"MFDT", kTexts, "Error occured in MFiData."};

constexpr std::size_t kHeaderLengthOffset = 8;
constexpr std::size_t kInfoOffset = 13;
constexpr std::int32_t kTypeBytes = 3;  // major type, minor type, voice code
constexpr std::int32_t kPlaybackTimeBase = 96;
constexpr std::int32_t kDefaultTimeBase = 48;
constexpr std::int32_t kDrumTrack = 2;
constexpr std::int32_t kDrumTrackChannel = 1;
constexpr std::int32_t kDrumKeyCorrection = 10;

// Voice types with known channel kinds: channel 9 is the drum channel, the others melody.
bool HasChannelTypes(std::int32_t voiceType) {
    return voiceType == 1 || (voiceType >= 4 && voiceType <= 9) || voiceType == 32 ||
           voiceType == kVoiceType250 || voiceType == 252 || voiceType == kVoiceType254 ||
           voiceType == kVoiceType255;
}

std::int32_t TrackCountOf(std::int32_t voiceType) {
    switch (voiceType) {
    case 1: case 252:
        return 1;
    case 4: case 5: case kVoiceType250: case kVoiceType254: case kVoiceType255:
        return 4;
    default:
        return 0;
    }
}

MusicEvent DrumModeCommand(std::int32_t channel, std::int32_t value) {
    MusicEvent event(0);
    event.kind = kCommandEvent;
    event.code = kDrumMode;
    event.channel = channel;
    event.value = value;
    return event;
}

constexpr std::int32_t kInsertBefore = 2;  // InsertAt mode: at the position itself

}  // namespace

MFiData::MFiData(std::int32_t type, std::uint32_t bufferSize)
    : file(bufferSize),
      header(std::make_unique<MFiHeader>(type)),
      info(std::make_unique<MFiInfo>(type, "no title", "no copyright", 0)),
      trackCount(1),
      voiceType(type) {
    tracks[0] = std::make_unique<MFiTrack>(0, type);
    tracks[0]->channelType.fill(MFiTrack::kMelodyChannel);
}

MFiData::MFiData(const std::string& fileName, std::int32_t type)
    : file(kFileCapacity), voiceType(type) {
    LoadFile(fileName, file, kFileCapacity);
    if (file.length > 0) Parse(type);
}

MFiData::MFiData(std::span<const std::uint8_t> image, std::int32_t type, std::uint32_t capacity)
    : file(capacity), voiceType(type) {
    const std::size_t length = std::min<std::size_t>(image.size(), capacity);
    file.block = AllocBlock(length);
    std::copy_n(image.begin(), length, file.block.data());
    file.length = static_cast<std::int32_t>(length);
    if (file.length > 0) Parse(type);
}

MFiBytes MFiData::Image() const {
    const std::size_t loaded = std::min<std::size_t>(
        file.block.size(), static_cast<std::size_t>(std::max(file.length, 0)));
    return MFiBytes(file.block.bytes().first(loaded), file.capacity);
}

void MFiData::Parse(std::int32_t requestedVoiceType) {
    voiceType = requestedVoiceType;
    const MFiBytes image = Image();
    header = std::make_unique<MFiHeader>(image);
    if (header->voiceType == kWrongFileId) {
        voiceType = kWrongFileId;
        return;
    }
    voiceType = header->voiceType;

    const auto headerLength = static_cast<std::int32_t>(image.BigEndian16(kHeaderLengthOffset));
    info = std::make_unique<MFiInfo>(image.From(kInfoOffset), headerLength - kTypeBytes);
    if (voiceType == kVoiceType254) {
        if (info->VersionIs("0200")) {
            voiceType = kVoiceType250;
        } else {
            ReportError(0x2000000A);
        }
    }

    trackCount = TrackCountOf(voiceType);
    if (trackCount == 0) {
        ReportError(0x20000003);
        return;
    }
    const std::size_t trackData = static_cast<std::size_t>(headerLength) + 10;
    if (voiceType == kVoiceType250 || voiceType == kVoiceType254) {
        ReadEventStream(trackData, std::int64_t{file.length} - static_cast<std::int64_t>(trackData));
    } else {
        ReadTrackChunks(trackData);
    }
}

void MFiData::ReadTrackChunks(std::size_t offset) {
    MFiTrack::ChannelTypes sharedTypes{};
    if (HasChannelTypes(voiceType)) {
        sharedTypes.fill(MFiTrack::kMelodyChannel);
        sharedTypes[9] = MFiTrack::kDrumChannel;
    }
    const MFiBytes image = Image();
    for (std::int32_t i = 0; i < trackCount; ++i) {
        tracks[i] = std::make_unique<MFiTrack>(image.From(offset), i, voiceType, sharedTypes);
        offset += static_cast<std::size_t>(tracks[i]->size);
    }
    MoveChannelAssignments();
    UseCommonTimeBase();
    for (std::int32_t i = 0; i < trackCount; ++i) tracks[i]->RescaleTimeBase(kPlaybackTimeBase);
    if (trackCount == kMaxTracks) SetDefaultDrumChannel();
}

void MFiData::MoveChannelAssignments() {
    for (std::int32_t t = 0; t < trackCount; ++t) {
        MobileTrackData& events = *tracks[t]->trackData;
        for (std::int32_t i = 0; i < events.count(); ++i) {
            MusicEvent& event = events.At(i);
            if (event.kind != kCommandEvent || event.code != kChannelAssign) continue;
            const std::int32_t number = event.value >> 3;
            const std::int32_t drumBit = event.value & 1;
            event.kind = kEmptyEvent;
            event.channel = 0;
            const std::int32_t target = number / MFiTrack::kTrackChannels;
            if (target >= kMaxTracks || target >= trackCount) {
                ReportError(0x20000005);
                continue;
            }
            MobileTrackData& targetEvents = *tracks[target]->trackData;
            const std::int32_t before = targetEvents.count();
            targetEvents.InsertAt(0, kInsertBefore,
                                  DrumModeCommand(number % MFiTrack::kTrackChannels, drumBit));
            // An insertion in front of this very event moves it one place on.
            if (target == t && targetEvents.count() > before) ++i;
        }
    }
}

void MFiData::UseCommonTimeBase() {
    std::int32_t timeBase = kDefaultTimeBase;
    for (std::int32_t i = 0; i < trackCount; ++i) {
        if (tracks[i]->timeBase != MFiTrack::kNoTimeBase) timeBase = tracks[i]->timeBase;
    }
    for (std::int32_t i = 0; i < trackCount; ++i) tracks[i]->timeBase = timeBase;
}

void MFiData::SetDefaultDrumChannel() {
    MobileTrackData& drums = *tracks[kDrumTrack]->trackData;
    const auto events = std::as_const(drums).Events();
    const bool hasDrumMode = std::any_of(events.begin(), events.end(), [](const MusicEvent& event) {
        return event.IsCommand(kDrumMode) && event.channel == kDrumTrackChannel;
    });
    if (hasDrumMode) return;
    drums.InsertAt(0, kInsertBefore, DrumModeCommand(kDrumTrackChannel, 1));
    // Files of "vers" 0300 already number their drums for playback.
    if (info->VersionIs("0300")) return;
    for (MusicEvent& event : drums.Events()) {
        if (event.kind == kNoteEvent && event.channel == kDrumTrackChannel) {
            event.key -= kDrumKeyCorrection;
        }
    }
}

void MFiData::ReadEventStream(std::size_t offset, std::int64_t streamLength) {
    for (std::int32_t i = 0; i < kMaxTracks; ++i) tracks[i] = std::make_unique<MFiTrack>(i, voiceType);
    MFiEventStream stream{std::span<const std::unique_ptr<MFiTrack>, kMaxTracks>(tracks)};
    stream.Read(Image().From(offset), streamLength);
    for (std::int32_t i = 0; i < kMaxTracks; ++i) {
        MFiTrack& track = *tracks[i];
        // A stream without a tempo command counts at the time base of a file without one.
        if (track.timeBase == MFiTrack::kNoTimeBase) track.timeBase = kDefaultTimeBase;
        track.RescaleTimeBase(kPlaybackTimeBase);
    }
}

MFiTrack* MFiData::GetTrack(std::int32_t index) {
    return index >= 0 && index < trackCount ? tracks[index].get() : nullptr;
}

const MFiTrack* MFiData::GetTrack(std::int32_t index) const {
    return index >= 0 && index < trackCount ? tracks[index].get() : nullptr;
}

void MFiData::ToMobileData(MobileData& target) const {
    for (std::int32_t i = 0; i < trackCount; ++i) target.AddTrack(*tracks[i]->trackData);
    target.timeBase = kPlaybackTimeBase;
}

void MFiData::ReportError(ErrorCode code) { kReporter.Report(code); }

}  // namespace zamrit
