#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/MidiOutput.h"

class RtMidiOut;

namespace zamrit {

// An ALSA sequencer output port (hardware or an external synthesizer), through RtMidi's ALSA
// API. A machine without the ALSA sequencer counts as having no ports.
class AlsaMidiOutput final : public MidiOutput {
public:
    // The names of the writable ports, in ALSA's order; empty without the sequencer.
    static std::vector<std::string> PortNames();
    // nullptr when the port does not exist or can not be opened.
    static std::unique_ptr<AlsaMidiOutput> Open(unsigned port);
    ~AlsaMidiOutput() override;

    bool SendShort(std::uint32_t packed) override;
    bool SendLong(std::span<const std::uint8_t> message) override;
    bool Reset() override;
    bool Close() override;

private:
    explicit AlsaMidiOutput(std::unique_ptr<RtMidiOut> port);
    bool Send(std::span<const std::uint8_t> bytes);

    std::unique_ptr<RtMidiOut> port_;
    bool failed_ = false;  // set by RtMidi's error callback during a call
};

}  // namespace zamrit
