#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "melody/MusicEvent.h"
#include "midiseq/MidiTrackData.h"

namespace zamrit::testing {

// Builders for MIDI-side events and an absolute-time view of a track for assertions.

inline std::unique_ptr<MusicEvent> MidiEvent(std::int32_t delta, std::int32_t kind,
                                             std::int32_t channel = 0, std::int32_t key = 0,
                                             std::int32_t velocity = 0) {
    auto event = std::make_unique<MusicEvent>(delta);
    event->kind = kind;
    event->channel = channel;
    event->key = key;
    event->velocity = velocity;
    return event;
}

inline std::unique_ptr<MusicEvent> TimedNote(std::int32_t delta, std::int32_t key,
                                             std::int32_t duration, std::int32_t channel = 0,
                                             std::int32_t velocity = 100) {
    auto event = MidiEvent(delta, 0x10, channel, key, velocity);
    event->duration = duration;
    return event;
}

inline std::unique_ptr<MusicEvent> Control(std::int32_t delta, std::int32_t channel,
                                           std::int32_t number, std::int32_t value) {
    auto event = MidiEvent(delta, 0xB0, channel);
    event->code = number;
    event->value = value;
    return event;
}

inline std::unique_ptr<MusicEvent> Meta(std::int32_t delta, std::int32_t type,
                                        std::int32_t value = 0) {
    auto event = MidiEvent(delta, 0xFF, MusicEvent::kNoChannel);
    event->code = type;
    event->value = value;
    return event;
}

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
        tick += event->delta;
        timeline.push_back({tick, event->kind, event->key, event->channel});
    }
    return timeline;
}

}  // namespace zamrit::testing
