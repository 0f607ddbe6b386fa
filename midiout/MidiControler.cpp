#include "midiout/MidiControler.h"

#include <algorithm>
#include <array>
#include <atomic>

#include "melody/ErrorReporting.h"
#include "melody/ModuleReporter.h"
#include "platform/MidiOutService.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 5> kTexts{{
    {0x07000001, "Can not open Midi device!"},
    {0x07000002, "Can not close Midi device!"},
    {0x07000003, "Can not change tone with Midi device!"},
    {0x07000004, "Can not send system exclusive with midi device!"},
    {0x07000005, "Invalid parameter in Midi!"},
}};

constexpr ModuleReporter kReporter{"MDCT", kTexts, "Error occured in MidiControler!"};

constexpr ErrorCode kCanNotOpen = 0x07000001;
constexpr ErrorCode kCanNotClose = 0x07000002;
constexpr ErrorCode kCanNotChangeTone = 0x07000003;
constexpr ErrorCode kInvalidParameter = 0x07000005;

constexpr std::uint8_t kExclusiveStart = 0xF0;

// A machine without any MIDI output says so once per run of the program.
std::atomic<bool> noDeviceUnreported{true};

std::uint32_t PackShortMessage(std::int32_t status, std::int32_t data1, std::int32_t data2) {
    return (static_cast<std::uint32_t>(status) & 0xFF) | (static_cast<std::uint32_t>(data1) & 0xFF) << 8 |
           (static_cast<std::uint32_t>(data2) & 0xFF) << 16;
}

}  // namespace

MidiControler::MidiControler(std::int32_t deviceId) { Open(deviceId); }

MidiControler::~MidiControler() = default;

void MidiControler::ResetNoDeviceReportForTesting() { noDeviceUnreported = true; }

void MidiControler::Open(std::int32_t deviceId) {
    MidiOutService& service = CurrentMidiOutService();
    handle.reset();
    if (service.DeviceCount() == 0) {
        if (noDeviceUnreported.exchange(false)) {
            ReportError(kCanNotOpen);
            service.ExplainOpenFailure();
        }
        return;
    }
    handle = service.Open(deviceId);
    if (handle == nullptr && deviceId == MidiOutService::kMidiMapper) handle = service.Open(0);
    if (handle == nullptr) {
        ReportError(kCanNotOpen);
        service.ExplainOpenFailure();
    }
}

void MidiControler::Close() {
    if (handle == nullptr) return;
    if (!handle->Reset()) ReportError(kCanNotClose);
    if (!handle->Close()) {
        ReportError(kCanNotClose);
        // What the device could not do, such as the file it could not finish, and why.
        const std::string problem = handle->Problem();
        if (!problem.empty()) ShowErrorMessage(problem);
    }
    handle.reset();
}

bool MidiControler::NoteOn(std::int32_t note, std::int32_t velocity, std::int32_t channel) {
    const std::int32_t velocityByte = std::min(velocity & 0xFF, 127);
    return SendShortMessage(velocityByte, note, 0x90 + channel);
}

bool MidiControler::NoteOff(std::int32_t note, std::int32_t channel) {
    return SendShortMessage(0, note, 0x80 + channel);
}

void MidiControler::ProgramChange(std::int32_t program, std::int32_t channel) {
    if (!SendShortMessage(0, program, 0xC0 + channel)) ReportError(kCanNotChangeTone);
}

bool MidiControler::SendShortMessage(std::int32_t data2, std::int32_t data1, std::int32_t status) {
    return handle != nullptr && handle->SendShort(PackShortMessage(status, data1, data2));
}

void MidiControler::SendGeneralMidiOn() {
    static constexpr std::array<std::uint8_t, 7> kStored{0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    SendExclusive(static_cast<std::int32_t>(kStored.size()), kStored);
}

void MidiControler::SendExclusive(std::int32_t length, std::span<const std::uint8_t> stored) {
    // A record claiming more bytes than it holds, or a message that does not fit the 256-byte
    // block it is sent from, is refused rather than read or written past its end.
    if (length < 1 || static_cast<std::size_t>(length) > stored.size()) {
        ReportError(kInvalidParameter);
        return;
    }
    const std::span<const std::uint8_t> record = stored.first(static_cast<std::size_t>(length));
    const bool withLengthByte = record[0] == kExclusiveStart;
    if (withLengthByte && record.size() < 2) {
        ReportError(kInvalidParameter);
        return;
    }
    const std::size_t messageLength = withLengthByte ? record.size() - 1 : record.size();
    if (messageLength > kExclusiveBlockSize) {
        ReportError(kInvalidParameter);
        return;
    }

    std::array<std::uint8_t, kExclusiveBlockSize> block{};
    if (withLengthByte) {
        block[0] = kExclusiveStart;
        std::copy(record.begin() + 2, record.end(), block.begin() + 1);
    } else {
        std::copy(record.begin(), record.end(), block.begin());
    }
    // A device that does not take the message ends the send without a report.
    if (handle != nullptr) handle->SendLong(std::span(block).first(messageLength));
}

void MidiControler::ReportError(ErrorCode code) { kReporter.Report(code); }

}  // namespace zamrit
