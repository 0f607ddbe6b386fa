#pragma once

#include <cstdint>

namespace zamrit {

// Voice types: the track layout and event rules of an MFi melody.
inline constexpr std::int32_t kVoiceType250 = 250;  // one event stream over four tracks
inline constexpr std::int32_t kWrongFileId = 251;   // neither "melo" nor "cmid"
inline constexpr std::int32_t kVoiceType254 = 254;  // "cmid" with voice code 1
inline constexpr std::int32_t kVoiceType255 = 255;  // "cmid" with any other voice code

}  // namespace zamrit
