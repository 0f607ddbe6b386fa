#pragma once

#include <cstdint>

namespace zamrit {

// Kinds of a mobile-melody event.
inline constexpr std::int32_t kEmptyEvent = 0;      // keeps its delta time, plays nothing
inline constexpr std::int32_t kNoteEvent = 0x10;    // a note with its duration
inline constexpr std::int32_t kCommandEvent = 0xFF; // a command: `code` and `value`

// Codes of a mobile command (the `code` of a kind-0xFF event).
inline constexpr std::int32_t kVoice = 33;          // value: voice (program) number
inline constexpr std::int32_t kDrumMode = 34;       // value 1: drum mode, else melody mode
inline constexpr std::int32_t kVolume = 35;         // value: channel volume
inline constexpr std::int32_t kPan = 36;            // value: panpot
inline constexpr std::int32_t kTempo = 37;          // value: microseconds per quarter note
inline constexpr std::int32_t kTrackEnd = 38;       // end of the track
inline constexpr std::int32_t kPitchBend = 39;      // value: bend amount
inline constexpr std::int32_t kMasterVolume = 65;   // value: master volume
inline constexpr std::int32_t kChannelAssign = 68;  // MFi: which channel a part plays on

}  // namespace zamrit
