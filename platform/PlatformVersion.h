#pragma once

#include <cstdint>

namespace zamrit {

// The version of the platform the program runs on, as the melody library asks for it. Linux
// answers as a current desktop system: major version 6, which turns on the pre-roll before the
// first note of a playback.
struct PlatformVersion {
    std::int32_t major;
    std::int32_t minor;
};

PlatformVersion CurrentPlatformVersion();

}  // namespace zamrit
