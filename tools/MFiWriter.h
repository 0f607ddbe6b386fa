#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/MFiEventWriter.h"

namespace zamrit {

// Writes an MFi melody file: the 13-byte head ("melo" or "cmid", the length of the rest of
// the file, the header length, major and minor type, voice code), the information chunks
// and the track data after them.
//
//   MFiWriter file;                                  // "melo", types 1/1, voice code 4
//   file.InfoText("titl", "Bar 1").InfoText("vers", "0200");
//   file.Track(MFiEventWriter().Tempo(0, 3, 120).Note(0, 0, 10, 48, 32));
//   file.WriteFile("MN_01_02.dat");
class MFiWriter {
public:
    explicit MFiWriter(std::uint8_t voiceCode = 4, std::string_view id = "melo",
                       std::uint8_t majorType = 1, std::uint8_t minorType = 1);

    MFiWriter& Id(std::string_view id);
    MFiWriter& Types(std::uint8_t majorType, std::uint8_t minorType, std::uint8_t voiceCode);

    // An information chunk: four-byte id, 16-bit length, the data (cut at 65535 bytes).
    MFiWriter& Info(std::string_view id, std::span<const std::uint8_t> data);
    MFiWriter& InfoText(std::string_view id, std::string_view text);

    // A "trac" chunk (or any id) of the events written so far by `events`.
    MFiWriter& Track(const MFiEventWriter& events, std::string_view id = "trac");
    // The event stream of voice types 250 and 254: 8 skipped bytes, then 4-byte events.
    MFiWriter& Stream(const MFiEventWriter& events);
    // Any bytes after the information area, as they are.
    MFiWriter& TrackData(std::span<const std::uint8_t> bytes);

    // Writes this value at offset 8 in place of the true header length (3 + information
    // area), to make files whose header length lies.
    MFiWriter& HeaderLength(std::uint16_t length);

    std::vector<std::uint8_t> Bytes() const;
    // Writes the file; false when it could not be written whole.
    bool WriteFile(const std::filesystem::path& path) const;

private:
    std::string id_;
    std::uint8_t majorType_;
    std::uint8_t minorType_;
    std::uint8_t voiceCode_;
    std::vector<std::uint8_t> info_;
    std::vector<std::uint8_t> tracks_;
    std::optional<std::uint16_t> headerLength_;
};

}  // namespace zamrit
