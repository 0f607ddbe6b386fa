#pragma once

#include <cstdint>

namespace zamrit {

// Kinds of a MIDI event (the `kind` of an event of a MIDI track): the status byte of its
// message without the channel, or 0xF0/0xF7 for an exclusive and 0xFF for a meta event.
inline constexpr std::int32_t kMidiNoteOff = 0x80;
inline constexpr std::int32_t kMidiNoteOn = 0x90;
inline constexpr std::int32_t kMidiControlChange = 0xB0;
inline constexpr std::int32_t kMidiProgramChange = 0xC0;
inline constexpr std::int32_t kMidiPitchBend = 0xE0;
inline constexpr std::int32_t kMidiExclusive = 0xF0;
inline constexpr std::int32_t kMidiExclusiveContinued = 0xF7;
inline constexpr std::int32_t kMidiMeta = 0xFF;

}  // namespace zamrit
