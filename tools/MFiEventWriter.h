#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace zamrit {

// Writes MFi events one after the other: the bytes of a "trac" chunk or of an event stream.
// Every event starts with its delta (0-255 ticks) and a status byte; status 0xFF marks a
// command, anything else a note. Values are written as given (masked to their bit fields),
// so that tests can also write events a reader has to refuse.
class MFiEventWriter {
public:
    // A 4-byte note: channel (0-3) and key number (0-63) share byte 1, byte 2 is the gate
    // time, byte 3 holds the velocity (0-63) above the octave code (0-3).
    MFiEventWriter& Note(std::uint8_t delta, std::uint8_t channel, std::uint8_t key,
                         std::uint8_t gate, std::uint8_t velocity, std::uint8_t octave = 0);
    // A 3-byte note of voice types 1 and 252: no velocity or octave byte.
    MFiEventWriter& ShortNote(std::uint8_t delta, std::uint8_t channel, std::uint8_t key,
                              std::uint8_t gate);
    // A 4-byte command: delta, 0xFF, the command byte, its parameter.
    MFiEventWriter& Command(std::uint8_t delta, std::uint8_t command, std::uint8_t parameter);
    // Tempo command 0xC0-0xCF: `code` selects the time base, `tempo` is in beats per minute.
    MFiEventWriter& Tempo(std::uint8_t delta, std::uint8_t code, std::uint8_t tempo);
    // Program change 0xE0 on a channel of the track (0-3), program 0-63.
    MFiEventWriter& Program(std::uint8_t delta, std::uint8_t channel, std::uint8_t program);
    // Exclusive command: delta, FF FF, a 16-bit length, the data.
    MFiEventWriter& Exclusive(std::uint8_t delta, std::span<const std::uint8_t> data);
    // Any bytes, as they are.
    MFiEventWriter& Raw(std::span<const std::uint8_t> bytes);

    // The events written so far.
    const std::vector<std::uint8_t>& Events() const { return events_; }

    // A whole chunk: the id, the 32-bit length of the events, the events.
    std::vector<std::uint8_t> Chunk(std::string_view id = "trac") const;
    // An event stream: the 8 bytes before the first event (an id and the events' length,
    // which readers skip), then the events.
    std::vector<std::uint8_t> Stream() const { return Chunk("trac"); }

private:
    std::vector<std::uint8_t> events_;
};

}  // namespace zamrit
