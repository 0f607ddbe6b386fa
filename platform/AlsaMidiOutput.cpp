#include "platform/AlsaMidiOutput.h"

#include <RtMidi.h>

#include <array>
#include <filesystem>
#include <system_error>

#include "platform/MidiShortMessage.h"
#include "platform/QuietAlsaLibrary.h"

namespace zamrit {
namespace {

constexpr const char* kClientName = "Zamrit Dice Game";
constexpr const char* kSequencerDevice = "/dev/snd/seq";

// RtMidi would print its errors; the output reports them through its results instead.
void RecordError(RtMidiError::Type /*type*/, const std::string& /*text*/, void* failed) {
    *static_cast<bool*>(failed) = true;
}

std::unique_ptr<RtMidiOut> MakeClient() {
    // Without the sequencer device RtMidi and ALSA would print their failure before RtMidi
    // throws: such a machine simply has no ports.
    std::error_code error;
    if (!std::filesystem::exists(kSequencerDevice, error)) return nullptr;
    QuietAlsaLibrary();
    try {
        return std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

}  // namespace

std::vector<std::string> AlsaMidiOutput::PortNames() {
    std::vector<std::string> names;
    std::unique_ptr<RtMidiOut> client = MakeClient();
    if (client == nullptr) return names;
    bool failed = false;
    client->setErrorCallback(&RecordError, &failed);
    const unsigned count = client->getPortCount();
    for (unsigned port = 0; port < count && !failed; ++port) names.push_back(client->getPortName(port));
    return names;
}

std::unique_ptr<AlsaMidiOutput> AlsaMidiOutput::Open(unsigned port) {
    std::unique_ptr<RtMidiOut> client = MakeClient();
    if (client == nullptr) return nullptr;
    std::unique_ptr<AlsaMidiOutput> output(new AlsaMidiOutput(std::move(client)));
    output->port_->setErrorCallback(&RecordError, &output->failed_);
    if (port >= output->port_->getPortCount()) return nullptr;
    output->port_->openPort(port, kClientName);
    if (output->failed_ || !output->port_->isPortOpen()) return nullptr;
    return output;
}

AlsaMidiOutput::AlsaMidiOutput(std::unique_ptr<RtMidiOut> port) : port_(std::move(port)) {}

AlsaMidiOutput::~AlsaMidiOutput() = default;

bool AlsaMidiOutput::Send(std::span<const std::uint8_t> bytes) {
    if (port_ == nullptr || !port_->isPortOpen()) return false;
    failed_ = false;
    port_->sendMessage(bytes.data(), bytes.size());
    return !failed_;
}

bool AlsaMidiOutput::SendShort(std::uint32_t packed) {
    return Send(MidiShortMessage::Unpack(packed).Bytes());
}

bool AlsaMidiOutput::SendLong(std::span<const std::uint8_t> message) { return Send(message); }

// An external device has no reset of its own over the wire: every channel gets the sustain
// pedal released and all notes off.
bool AlsaMidiOutput::Reset() {
    bool sent = true;
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        const std::array<std::uint8_t, 3> sustainOff{static_cast<std::uint8_t>(0xB0 | channel), 64, 0};
        const std::array<std::uint8_t, 3> allNotesOff{static_cast<std::uint8_t>(0xB0 | channel), 123, 0};
        sent = Send(sustainOff) && sent;
        sent = Send(allNotesOff) && sent;
    }
    return sent;
}

bool AlsaMidiOutput::Close() {
    if (port_ == nullptr || !port_->isPortOpen()) return false;
    port_->closePort();
    return true;
}

}  // namespace zamrit
