#include "tools/MFiWriter.h"

#include <algorithm>
#include <fstream>

#include "tools/BigEndian.h"

namespace zamrit {
namespace {

constexpr std::size_t kMaxChunkData = 0xFFFF;
constexpr std::size_t kTypeBytes = 3;  // major type, minor type, voice code

}  // namespace

MFiWriter::MFiWriter(std::uint8_t voiceCode, std::string_view id, std::uint8_t majorType,
                     std::uint8_t minorType)
    : id_(id), majorType_(majorType), minorType_(minorType), voiceCode_(voiceCode) {}

MFiWriter& MFiWriter::Id(std::string_view id) {
    id_ = id;
    return *this;
}

MFiWriter& MFiWriter::Types(std::uint8_t majorType, std::uint8_t minorType,
                            std::uint8_t voiceCode) {
    majorType_ = majorType;
    minorType_ = minorType;
    voiceCode_ = voiceCode;
    return *this;
}

MFiWriter& MFiWriter::Info(std::string_view id, std::span<const std::uint8_t> data) {
    const std::size_t length = std::min(data.size(), kMaxChunkData);
    AppendId(info_, id);
    AppendBigEndian16(info_, static_cast<std::uint16_t>(length));
    info_.insert(info_.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
    return *this;
}

MFiWriter& MFiWriter::InfoText(std::string_view id, std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return Info(id, std::span<const std::uint8_t>(bytes, text.size()));
}

MFiWriter& MFiWriter::Track(const MFiEventWriter& events, std::string_view id) {
    return TrackData(events.Chunk(id));
}

MFiWriter& MFiWriter::Stream(const MFiEventWriter& events) { return TrackData(events.Stream()); }

MFiWriter& MFiWriter::TrackData(std::span<const std::uint8_t> bytes) {
    tracks_.insert(tracks_.end(), bytes.begin(), bytes.end());
    return *this;
}

MFiWriter& MFiWriter::HeaderLength(std::uint16_t length) {
    headerLength_ = length;
    return *this;
}

std::vector<std::uint8_t> MFiWriter::Bytes() const {
    const std::size_t afterLength = 2 + kTypeBytes + info_.size() + tracks_.size();
    const auto headerLength = headerLength_.value_or(
        static_cast<std::uint16_t>(std::min(kTypeBytes + info_.size(), kMaxChunkData)));

    std::vector<std::uint8_t> bytes;
    bytes.reserve(8 + afterLength);
    AppendId(bytes, id_);
    AppendBigEndian32(bytes, static_cast<std::uint32_t>(afterLength));
    AppendBigEndian16(bytes, headerLength);
    bytes.insert(bytes.end(), {majorType_, minorType_, voiceCode_});
    bytes.insert(bytes.end(), info_.begin(), info_.end());
    bytes.insert(bytes.end(), tracks_.begin(), tracks_.end());
    return bytes;
}

bool MFiWriter::WriteFile(const std::filesystem::path& path) const {
    const std::vector<std::uint8_t> bytes = Bytes();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace zamrit
