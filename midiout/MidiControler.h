#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "melody/ErrorReporting.h"
#include "platform/MidiOutput.h"

namespace zamrit {

// The MIDI output device of one playback: opens it (the mapper, else device 0), packs channel
// messages, sends exclusive messages and resets and closes it. Calls on a device that is not
// open send nothing.
class MidiControler {
public:
    static constexpr std::size_t kExclusiveBlockSize = 256;

    // Opens the device `deviceId` (-1 = the MIDI mapper).
    explicit MidiControler(std::int32_t deviceId);
    MidiControler(const MidiControler&) = delete;
    MidiControler& operator=(const MidiControler&) = delete;
    ~MidiControler();

    void Open(std::int32_t deviceId);
    // Resets the device (the only all-notes-off a playback sends), then closes it.
    void Close();
    bool IsOpen() const { return handle != nullptr; }

    // Results are the device's: true when it took the message.
    bool NoteOn(std::int32_t note, std::int32_t velocity, std::int32_t channel);
    bool NoteOff(std::int32_t note, std::int32_t channel);
    void ProgramChange(std::int32_t program, std::int32_t channel);
    bool SendShortMessage(std::int32_t data2, std::int32_t data1, std::int32_t status);
    void SendGeneralMidiOn();
    // One exclusive message from its stored form. A stored record that starts with F0 holds
    // F0, a length byte, then the body ending in F7: the length byte is not sent. Any other
    // record is sent byte for byte. `length` counts the stored bytes.
    void SendExclusive(std::int32_t length, std::span<const std::uint8_t> stored);

    static void ReportError(ErrorCode code);

    // Tests only: the next open without any device reports it again, as in a new process.
    static void ResetNoDeviceReportForTesting();

private:
    std::unique_ptr<MidiOutput> handle;
};

}  // namespace zamrit
