#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "melody/MobileCommand.h"
#include "melody/MusicEvent.h"

namespace zamrit::testing {

// Builders of events for every test, melody-side and MIDI-side alike. Every builder takes the
// delta time first; a channel comes before the values of a channel message.

// Melody-side events.
inline MusicEvent Note(std::int32_t delta, std::int32_t key,
                       std::int32_t duration, std::int32_t velocity = 100) {
    MusicEvent event(delta);
    event.kind = kNoteEvent;
    event.key = key;
    event.duration = duration;
    event.velocity = velocity;
    return event;
}

inline MusicEvent Command(std::int32_t delta, std::int32_t code, std::int32_t value = 0) {
    MusicEvent event(delta);
    event.kind = kCommandEvent;
    event.code = code;
    event.value = value;
    return event;
}

// MIDI-side events.
inline MusicEvent MidiEvent(std::int32_t delta, std::int32_t kind,
                            std::int32_t channel = 0, std::int32_t key = 0,
                            std::int32_t velocity = 0) {
    MusicEvent event(delta);
    event.kind = kind;
    event.channel = channel;
    event.key = key;
    event.velocity = velocity;
    return event;
}

inline MusicEvent NoteOn(std::int32_t delta, std::int32_t key, std::int32_t velocity = 100,
                         std::int32_t channel = 0) {
    return MidiEvent(delta, 0x90, channel, key, velocity);
}

inline MusicEvent NoteOff(std::int32_t delta, std::int32_t key, std::int32_t channel = 0) {
    return MidiEvent(delta, 0x80, channel, key, 64);
}

// A note with its duration, as a converted track holds it before its note-offs are made.
inline MusicEvent TimedNote(std::int32_t delta, std::int32_t key,
                            std::int32_t duration, std::int32_t channel = 0,
                            std::int32_t velocity = 100) {
    auto event = MidiEvent(delta, 0x10, channel, key, velocity);
    event.duration = duration;
    return event;
}

inline MusicEvent Program(std::int32_t delta, std::int32_t program, std::int32_t channel = 0) {
    auto event = MidiEvent(delta, 0xC0, channel);
    event.value = program;
    return event;
}

inline MusicEvent Control(std::int32_t delta, std::int32_t channel,
                          std::int32_t number, std::int32_t value) {
    auto event = MidiEvent(delta, 0xB0, channel);
    event.code = number;
    event.value = value;
    return event;
}

// A pitch bend: `low` and `high` are its two data bytes, least significant first.
inline MusicEvent PitchBend(std::int32_t delta, std::int32_t channel, std::int32_t low,
                            std::int32_t high) {
    auto event = MidiEvent(delta, 0xE0, channel, low);
    event.value = high;
    return event;
}

// An exclusive message in its stored form (F0, length byte, body ending in F7).
inline MusicEvent Exclusive(std::int32_t delta, std::initializer_list<std::uint8_t> stored) {
    auto event = MidiEvent(delta, 0xF0, MusicEvent::kNoChannel);
    const std::vector<std::uint8_t> bytes(stored);
    event.SetData(bytes);
    return event;
}

inline MusicEvent Meta(std::int32_t delta, std::int32_t type, std::int32_t value = 0) {
    auto event = MidiEvent(delta, 0xFF, MusicEvent::kNoChannel);
    event.code = type;
    event.value = value;
    return event;
}

inline MusicEvent Tempo(std::int32_t delta, std::int32_t microsecondsPerQuarter) {
    return Meta(delta, 0x51, microsecondsPerQuarter);
}

inline MusicEvent EndOfTrack(std::int32_t delta) { return Meta(delta, 0x2F); }

}  // namespace zamrit::testing
