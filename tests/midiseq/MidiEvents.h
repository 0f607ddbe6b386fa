#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "melody/MusicEvent.h"
#include "midiseq/MidiTrackData.h"
#include "support/EventBuilders.h"

namespace zamrit::testing {

// An absolute-time view of a track for assertions; the event builders are in
// support/EventBuilders.h.

// One event as (absolute tick, kind, key, channel).
struct Timed {
    std::int64_t tick;
    std::int32_t kind;
    std::int32_t key;
    std::int32_t channel;
    bool operator==(const Timed&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Timed& event) {
    return out << "{tick " << event.tick << ", kind 0x" << std::hex << event.kind << std::dec
               << ", key " << event.key << ", channel " << event.channel << "}";
}

inline std::vector<Timed> Timeline(const MidiTrackData& track) {
    std::vector<Timed> timeline;
    std::int64_t tick = 0;
    for (const auto& event : track.Events()) {
        tick += event.delta;
        timeline.push_back({tick, event.kind, event.key, event.channel});
    }
    return timeline;
}

}  // namespace zamrit::testing
