#include "mfi/MFiInfo.h"

#include <algorithm>

namespace zamrit {
namespace {

constexpr MFiInfoChunk::Id IdOf(std::string_view text) {
    return {static_cast<std::uint8_t>(text[0]), static_cast<std::uint8_t>(text[1]),
            static_cast<std::uint8_t>(text[2]), static_cast<std::uint8_t>(text[3])};
}

enum Slot : std::size_t { kTitl, kSorc, kVers, kCode, kDate, kCopy, kProt, kNote, kExst };

constexpr std::size_t kChunkHead = 6;  // id and 16-bit length

bool HasNote(std::int32_t voiceType) {
    return (voiceType >= 4 && voiceType <= 9) || voiceType == 32 || voiceType == 254 ||
           voiceType == 255;
}

std::string_view DefaultVersion(std::int32_t voiceType) {
    switch (voiceType) {
    case 1: case 252:
        return "0100";
    case 4: case 5: case 8: case 9: case 254: case 255:
        return "0200";
    case 6: case 7: case 32:
        return "0300";
    default:
        return {};
    }
}

}  // namespace

const std::array<MFiInfoChunk::Id, MFiInfo::kSlotCount> MFiInfo::kIds{
    IdOf("titl"), IdOf("sorc"), IdOf("vers"), IdOf("code"), IdOf("date"), IdOf("copy"),
    IdOf("prot"), IdOf("note"), IdOf("exst"), IdOf("supt"), IdOf("auth")};

MFiInfo::MFiInfo(std::int32_t voiceType, std::string_view titleText, std::string_view copyText,
                 std::uint8_t sorcValue) {
    Store(kTitl, std::make_unique<MFiInfoChunk>(kIds[kTitl], titleText));
    Store(kSorc, std::make_unique<MFiInfoChunk>(kIds[kSorc], sorcValue));
    if (const std::string_view version = DefaultVersion(voiceType); !version.empty()) {
        Store(kVers, std::make_unique<MFiInfoChunk>(kIds[kVers], version));
    }
    if (voiceType == 254) {
        Store(kCode, std::make_unique<MFiInfoChunk>(kIds[kCode], std::uint8_t{0x80}));
    } else {
        Store(kCopy, std::make_unique<MFiInfoChunk>(kIds[kCopy], copyText));
    }
    if (HasNote(voiceType)) {
        const std::array<std::uint8_t, 2> note{0x00, 0x01};
        Store(kNote, std::make_unique<MFiInfoChunk>(kIds[kNote], note));
    }
    if (voiceType == 254) {
        const std::array<std::uint8_t, 2> exst{0x00, 0x00};
        Store(kExst, std::make_unique<MFiInfoChunk>(kIds[kExst], exst));
    }
}

MFiInfo::MFiInfo(const MFiBytes& infoArea, std::int32_t infoLength) {
    std::int64_t p = 0;
    while (p < infoLength) {
        const auto offset = static_cast<std::size_t>(p);
        if (offset >= infoArea.LoadedSize()) {
            // Past the loaded bytes every byte reads as zero: the rest are chunks of id 0 and
            // length 0, which no slot takes. Step over all of them at once.
            const auto head = static_cast<std::int64_t>(kChunkHead);
            p += (infoLength - p + head - 1) / head * head;
            break;
        }
        const MFiInfoChunk::Id id = infoArea.IdAt(offset);
        const std::uint32_t length = infoArea.BigEndian16(offset + 4);
        p += kChunkHead;
        const auto known = std::find(kIds.begin(), kIds.end(), id);
        if (known != kIds.end()) {
            Store(static_cast<std::size_t>(known - kIds.begin()),
                  std::make_unique<MFiInfoChunk>(id, infoArea.From(offset + kChunkHead), length));
        }
        p += length;
    }
    parsedSize = static_cast<std::int32_t>(p);
}

const MFiInfoChunk* MFiInfo::Find(std::string_view id) const {
    if (id.size() != 4) return nullptr;
    const auto known = std::find(kIds.begin(), kIds.end(), IdOf(id));
    return known == kIds.end() ? nullptr : slots[static_cast<std::size_t>(known - kIds.begin())].get();
}

bool MFiInfo::VersionIs(std::string_view text) const {
    const MFiInfoChunk* version = slots[kVers].get();
    return version != nullptr && version->HoldsText(text);
}

void MFiInfo::Store(std::size_t slot, std::unique_ptr<MFiInfoChunk> chunk) {
    slots[slot] = std::move(chunk);
}

}  // namespace zamrit
