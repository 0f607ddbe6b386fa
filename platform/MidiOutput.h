#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zamrit {

// One open MIDI output device. Every call returns true when the device took it.
class MidiOutput {
public:
    MidiOutput() = default;
    MidiOutput(const MidiOutput&) = delete;
    MidiOutput& operator=(const MidiOutput&) = delete;
    virtual ~MidiOutput() = default;

    // A packed short message (see MidiShortMessage).
    virtual bool SendShort(std::uint32_t packed) = 0;
    // A system-exclusive message, sent byte for byte (F0 ... F7).
    virtual bool SendLong(std::span<const std::uint8_t> message) = 0;
    // Silences every note on every channel.
    virtual bool Reset() = 0;
    // Gives the device up; nothing is sent after it.
    virtual bool Close() = 0;
    // Why a call returned false, as a sentence for the user (which file or device and why), when
    // the device can tell; empty otherwise.
    virtual std::string Problem() const { return {}; }
};

}  // namespace zamrit
