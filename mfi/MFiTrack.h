#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "melody/ErrorReporting.h"
#include "melody/MobileTrackData.h"
#include "mfi/MFiBytes.h"

namespace zamrit {

// The events of one MFi track: notes, commands and empty events (time only), each with its
// channel 0-3 of the track (255 for none), read from a "trac" chunk or filled by the event
// stream reader.
class MFiTrack {
public:
    static constexpr std::int32_t kCapacity = 0x60000;
    static constexpr std::int32_t kChannelCount = 16;  // channel numbers of a whole file
    static constexpr std::int32_t kTrackChannels = 4;
    static constexpr std::int32_t kInvalidChannel = 0;
    static constexpr std::int32_t kDrumChannel = 1;
    static constexpr std::int32_t kMelodyChannel = 2;
    static constexpr std::int32_t kNoTimeBase = -1;

    using ChannelTypes = std::array<std::int32_t, kChannelCount>;
    using Id = std::array<std::uint8_t, 4>;

    // A new, empty track.
    MFiTrack(std::int32_t index, std::int32_t voiceType);
    // Reads the "trac" chunk at the start of `chunk`. `sharedTypes` holds the type of every
    // channel number of the file (4 × index + channel); the track starts from its own four
    // entries, and channel assignments update the table for the tracks after it.
    MFiTrack(const MFiBytes& chunk, std::int32_t index, std::int32_t voiceType,
             ChannelTypes& sharedTypes);

    MFiTrack(const MFiTrack&) = delete;
    MFiTrack& operator=(const MFiTrack&) = delete;

    // Copies every event of `other` to the end of this track. The track holds at most
    // MobileTrackData::kEventLimit events: what does not fit is left out and reported once
    // (MBTK0C000008).
    void Append(const MFiTrack& other);
    // Converts every delta and duration from `timeBase` to `newBase` ticks per quarter note;
    // the track is at `newBase` afterwards. A track without a time base is left as it is.
    void RescaleTimeBase(std::int32_t newBase);
    // A note that starts while an earlier note of its channel still sounds is joined to it.
    void MergeOverlappingNotes();
    // Notes of the same key and channel that follow within a note's duration are tied to it.
    void MergeTiedNotes();

    // Octave of the two-bit octave code: 0 → 0, 1 → +1, 2 → −2, 3 → −1.
    static std::int32_t OctaveShift(std::int32_t code);
    // MIDI key of a drum key number and octave code; 35 (with a one-time warning) for a
    // combination without a drum.
    static std::int32_t DrumKey(std::int32_t key, std::int32_t code);

    std::string IdText() const { return std::string(id.begin(), id.end()); }

    static void ReportError(ErrorCode code);
    static void ReportOnce(ErrorCode code);

    std::unique_ptr<MobileTrackData> trackData;
    Id id{'t', 'r', 'a', 'c'};
    std::int32_t size = 0;
    ChannelTypes channelType{};
    std::int32_t index = 0;
    std::int32_t voiceType = 0;
    std::int32_t timeBase = kNoTimeBase;

private:
    using Banks = std::array<std::int32_t, kTrackChannels>;

    // Each reads the event at `p` of the chunk, appends what it makes and gives its size.
    std::size_t ReadEvent(const MFiBytes& chunk, std::size_t p, Banks& banks,
                          ChannelTypes& sharedTypes);
    std::size_t ReadNote(const MFiBytes& chunk, std::size_t p);
    std::size_t ReadCommand(const MFiBytes& chunk, std::size_t p, Banks& banks,
                            ChannelTypes& sharedTypes);
    std::size_t ReadExclusive(const MFiBytes& chunk, std::size_t p);
    void ReadChannelAssignment(std::int32_t delta, std::uint8_t parameter,
                               ChannelTypes& sharedTypes);
    void ReadTempo(std::int32_t delta, std::uint8_t command, std::uint8_t parameter);
    std::int32_t NoteKey(std::int32_t channel, std::int32_t key, std::int32_t octave) const;
};

}  // namespace zamrit
