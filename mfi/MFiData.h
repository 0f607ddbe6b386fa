#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "melody/ErrorReporting.h"
#include "melody/FileBuffer.h"
#include "melody/MobileData.h"
#include "mfi/MFiBytes.h"
#include "mfi/MFiHeader.h"
#include "mfi/MFiInfo.h"
#include "mfi/MFiTrack.h"

namespace zamrit {

// One MFi melody: the file image, its header and information chunks, and up to four tracks
// at 96 ticks per quarter note. A file that can't be used leaves an object without tracks.
class MFiData {
public:
    static constexpr std::uint32_t kFileCapacity = 0x60000;
    static constexpr std::int32_t kMaxTracks = 4;

    // A new melody of one empty track, every channel of it a melody channel.
    MFiData(std::int32_t voiceType, std::uint32_t bufferSize);
    // Loads the named file (at most 0x60000 bytes). The voice type in the file wins over
    // `voiceType`.
    MFiData(const std::string& fileName, std::int32_t voiceType);
    // Reads a file image held in memory, as if it were loaded into a buffer of `capacity`
    // bytes (at most that many bytes of the image are kept).
    MFiData(std::span<const std::uint8_t> image, std::int32_t voiceType,
            std::uint32_t capacity = kFileCapacity);

    MFiData(const MFiData&) = delete;
    MFiData& operator=(const MFiData&) = delete;

    // The track at `index`, or nullptr outside 0 to trackCount − 1.
    MFiTrack* GetTrack(std::int32_t index);
    const MFiTrack* GetTrack(std::int32_t index) const;

    // Hands every track to `target` (AddTrack, in order) and sets its time base to 96.
    void ToMobileData(MobileData& target) const;

    // Reads trackCount "trac" chunks from `offset` of the file image on.
    void ReadTrackChunks(std::size_t offset);
    // Reads the single event stream of `streamLength` bytes from `offset` into four tracks.
    void ReadEventStream(std::size_t offset, std::int64_t streamLength);

    static void ReportError(ErrorCode code);

    FileBuffer file;
    std::unique_ptr<MFiHeader> header;
    std::unique_ptr<MFiInfo> info;
    std::array<std::unique_ptr<MFiTrack>, kMaxTracks> tracks;
    std::int32_t trackCount = 0;
    std::int32_t voiceType = 0;

private:
    // The image as read: the loaded bytes, then zeros up to the buffer's capacity.
    MFiBytes Image() const;
    void Parse(std::int32_t requestedVoiceType);
    void MoveChannelAssignments();
    void UseCommonTimeBase();
    void SetDefaultDrumChannel();
};

}  // namespace zamrit
