#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zamrit {

class MidiF0Data;

// Writes a sequence as a format-0 Standard MIDI File: the header chunk with the division,
// then one track chunk with every event of the sequence in order. Meant for ready sequences
// (note-on / note-off pairs); events that have no form in a file (empty events, notes with a
// duration, exclusives without their stored length byte) are left out and their delta time
// goes to the next event written.
class MidiFileWriter {
public:
    // The whole file. Channel messages use the channel's low four bits and their data bytes'
    // low seven bits; stored exclusives (F0, length byte, body) get the file's variable-length
    // form; tempo and time-signature events are written from their values. A time signature
    // set on the sequence but absent from its track is written at tick 0. The track ends with
    // exactly one end-of-track event, after the last event of the sequence, wherever the
    // sequence's own end-of-track events lie.
    static std::vector<std::uint8_t> Format0Bytes(const MidiF0Data& sequence);

    // Writes Format0Bytes to `path`, beside it first, so that an earlier file there is
    // replaced only by a complete one; false, with the reason in `problem` when one is given,
    // when the file can't be written.
    static bool Write(const MidiF0Data& sequence, const std::string& path, std::string* problem = nullptr);

    // The largest delta time a file can hold.
    static constexpr std::uint32_t kMaxDelta = 0x0FFFFFFF;
};

}  // namespace zamrit
