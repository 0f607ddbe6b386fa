#include "mfi/MFiHeader.h"

#include "melody/ModuleReporter.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 3> kTexts{{
    {0x21000001, "Internal Error occurred in MFiHeader!"},
    {0x21000002, "MFi Voice type is wrong!"},
    {0x21000003, "Wrong MFi header size!"},
}};

constexpr ModuleReporter kReporter{"MFHD", kTexts, "Error occurred in MFiHeader!"};

constexpr MFiHeader::Id kMelo{'m', 'e', 'l', 'o'};
constexpr MFiHeader::Id kCmid{'c', 'm', 'i', 'd'};

constexpr std::size_t kMajorTypeOffset = 10;
constexpr std::size_t kMinorTypeOffset = 11;
constexpr std::size_t kVoiceCodeOffset = 12;

}  // namespace

MFiHeader::MFiHeader(std::int32_t type) {
    switch (type) {
    case 4:
        id = kMelo, majorType = 1, minorType = 1, voiceType = type;
        break;
    case 5: case 6: case 7: case 8: case 9: case 32:
        id = kMelo, majorType = 2, minorType = 1, voiceType = type;
        break;
    case kVoiceType254: case kVoiceType255:
        id = kCmid, majorType = 2, minorType = 1, voiceType = type;
        break;
    default:
        id = kMelo, majorType = 1, minorType = 1, voiceType = 1;
        break;
    }
}

MFiHeader::MFiHeader(const MFiBytes& fileBytes)
    : id(fileBytes.IdAt(0)),
      majorType(fileBytes.At(kMajorTypeOffset)),
      minorType(fileBytes.At(kMinorTypeOffset)) {
    const std::uint8_t voiceCode = fileBytes.At(kVoiceCodeOffset);
    if (id == kCmid) {
        voiceType = voiceCode == 1 ? kVoiceType254 : kVoiceType255;
    } else if (id == kMelo) {
        voiceType = voiceCode;
    } else {
        ReportError(0x21000002);
        voiceType = kWrongFileId;
    }
}

void MFiHeader::ReportError(ErrorCode code) { kReporter.Report(code); }

}  // namespace zamrit
