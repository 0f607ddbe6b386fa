#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "mfi/MFiBytes.h"
#include "mfi/MFiInfoChunk.h"

namespace zamrit {

// The information chunks of an MFi file, one slot per known id, in this order:
// "titl", "sorc", "vers", "code", "date", "copy", "prot", "note", "exst", "supt", "auth".
class MFiInfo {
public:
    static constexpr std::size_t kSlotCount = 11;
    static const std::array<MFiInfoChunk::Id, kSlotCount> kIds;

    // The default set of a new melody of `voiceType`.
    MFiInfo(std::int32_t voiceType, std::string_view titleText, std::string_view copyText,
            std::uint8_t sorcValue);
    // Reads the chunks of the information area (`infoLength` bytes; none when it is 0 or
    // less). A later chunk of an id replaces an earlier one. A chunk of an unknown id is
    // stepped over by its own length, so the scan always moves on and ends.
    MFiInfo(const MFiBytes& infoArea, std::int32_t infoLength);

    // The chunk of `id`, or nullptr when there is none.
    const MFiInfoChunk* Find(std::string_view id) const;
    const MFiInfoChunk* Slot(std::size_t index) const { return slots[index].get(); }
    // Whether the "vers" chunk holds exactly `text` (false without a "vers" chunk).
    bool VersionIs(std::string_view text) const;

    std::array<std::unique_ptr<MFiInfoChunk>, kSlotCount> slots;
    std::int32_t parsedSize = 0;  // where in the information area reading stopped

private:
    void Store(std::size_t slot, std::unique_ptr<MFiInfoChunk> chunk);
};

}  // namespace zamrit
