#pragma once

#include <cstdint>
#include <memory>

#include "melody/MobileCommand.h"
#include "melody/MusicEvent.h"

namespace zamrit::testing {

inline std::unique_ptr<MusicEvent> Note(std::int32_t delta, std::int32_t key,
                                        std::int32_t duration, std::int32_t velocity = 100) {
    auto event = std::make_unique<MusicEvent>(delta);
    event->kind = kNoteEvent;
    event->key = key;
    event->duration = duration;
    event->velocity = velocity;
    return event;
}

inline std::unique_ptr<MusicEvent> Command(std::int32_t delta, std::int32_t code,
                                           std::int32_t value = 0) {
    auto event = std::make_unique<MusicEvent>(delta);
    event->kind = kCommandEvent;
    event->code = code;
    event->value = value;
    return event;
}

}  // namespace zamrit::testing
