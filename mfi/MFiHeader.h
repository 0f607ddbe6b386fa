#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "melody/ErrorReporting.h"
#include "mfi/MFiBytes.h"
#include "mfi/MFiVoiceType.h"

namespace zamrit {

// The 13-byte head of an MFi file: id, the header length at offset 8 (read by MFiData),
// major and minor type, and the voice code that gives the voice type.
class MFiHeader {
public:
    using Id = std::array<std::uint8_t, 4>;

    // The default header of a new melody of `voiceType`.
    explicit MFiHeader(std::int32_t voiceType);
    // Reads the header from the start of a file image. A file id other than "melo" or
    // "cmid" is reported (MFHD21000002) and gives voice type 251.
    explicit MFiHeader(const MFiBytes& fileBytes);

    // The id as text, for display.
    std::string IdText() const { return std::string(id.begin(), id.end()); }

    static void ReportError(ErrorCode code);

    Id id{};
    std::uint8_t majorType = 0;
    std::uint8_t minorType = 0;
    std::int32_t voiceType = 0;
};

}  // namespace zamrit
