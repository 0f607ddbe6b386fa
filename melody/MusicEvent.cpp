#include "melody/MusicEvent.h"

#include <algorithm>
#include <array>

#include "melody/ModuleReporter.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 2> kTexts{{
    {0x06000001,
     "Event data size is too large! If it includes MFi terminal tone data, it would not be a "
     "problem."},
    {0x06000002, "Error occured in event data!"},
}};

constexpr ModuleReporter kReporter{"MUEV", kTexts, "Error occured in MusicEvent!"};

// A block of the data bytes with 8 zero bytes after them.
Block CopyOfData(std::span<const std::uint8_t> bytes) {
    Block block = AllocBlock(bytes.size() + 8);
    std::copy(bytes.begin(), bytes.end(), block.data());
    return block;
}

}  // namespace

std::span<const std::uint8_t> MusicEvent::DataBytes() const {
    if (data.empty() || dataLength <= 0) return {};
    const auto length = std::min(static_cast<std::size_t>(dataLength), data.size());
    return {data.data(), length};
}

void MusicEvent::SetData(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return;
    data = CopyOfData(bytes);
    dataLength = static_cast<std::int32_t>(bytes.size());
    if (bytes.size() > kLargeDataLength) ReportError(0x06000001);
}

void MusicEvent::CopyFrom(const MusicEvent& other) {
    delta = other.delta;
    if (other.data.empty()) {
        FreeData();
    } else {
        data = CopyOfData(other.DataBytes());
    }
    dataLength = other.dataLength;
    kind = other.kind;
    key = other.key;
    duration = other.duration;
    velocity = other.velocity;
    code = other.code;
    value = other.value;
}

void MusicEvent::ReportError(ErrorCode code) { kReporter.Report(code); }

}  // namespace zamrit
