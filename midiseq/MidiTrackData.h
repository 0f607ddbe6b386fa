#pragma once

#include <cstdint>
#include <span>

#include "melody/EventList.h"
#include "melody/FileBuffer.h"
#include "melody/MusicEvent.h"

namespace zamrit {

// The event list of a single-track MIDI sequence, each `delta` relative to the event before
// it. While the sequence is built, notes are single kind-0x10 events with a duration;
// `Finalize` turns them into note-on / note-off pairs, the form that is played.
//
// The list holds at most kEventLimit events. Whatever would store past it (an append, an
// insert, the note-offs of `Finalize`) is reported with MDTK0D000006 "Large data" and left
// out.
class MidiTrackData {
public:
    static constexpr std::int32_t kEventLimit = MusicEvent::kListCapacity;

    static constexpr std::int32_t kStateConstructed = -1;
    static constexpr std::int32_t kStateUnderConstruction = 2;
    static constexpr std::int32_t kStateReady = 1;

    // Meta-event types (the `code` of a kind-0xFF event).
    static constexpr std::int32_t kEndOfTrack = 0x2F;
    static constexpr std::int32_t kSetTempo = 0x51;
    static constexpr std::int32_t kTimeSignature = 0x58;

    static constexpr std::int32_t kDefaultTempo = 500000;
    static constexpr std::int32_t kNoteOffVelocity = 64;

    explicit MidiTrackData(std::int32_t capacity);
    ~MidiTrackData();
    MidiTrackData(const MidiTrackData&) = delete;
    MidiTrackData& operator=(const MidiTrackData&) = delete;

    // Appends the event at the end; at the limit it is reported and dropped.
    void Append(MusicEvent event);
    // A set-tempo meta event at delta 0 with the three big-endian bytes of the tempo. A tempo
    // of 0 is reported (0D000015) and replaced by 500000.
    void AppendTempo(std::int32_t microsecondsPerQuarter);
    // The event AppendTempo appends (the same report for a tempo of 0).
    static MusicEvent MakeTempoEvent(std::int32_t microsecondsPerQuarter);
    // An end-of-track meta event, unless the track already ends with one.
    void AppendEndOfTrack(std::int32_t delta);
    // Inserts before the event at `position` when mode is 2, else after it. A position
    // outside the list inserts at its nearer end.
    void InsertAt(std::int32_t position, std::int32_t mode, MusicEvent event);
    // The universal real-time Master Volume exclusive, stored as F0 07 7F 7F 04 01 00 vv F7,
    // inserted before `position`. A volume above 127 is reported (0D000001) and inserted all
    // the same with its low byte.
    void InsertMasterVolume(std::int32_t volume, std::int32_t position);

    // Removes every empty (kind 0) event, handing its delta to the event after it.
    void Purge();

    // Makes the notes playable: each note with a duration becomes a note-on and a note-off
    // (velocity 64) at the tick where it ends, placed before every other event of that tick;
    // notes with a duration or velocity of 0 (or a negative duration) are removed; the end of
    // track goes last; note-offs are put before note-ons of the same tick. Needs state 2.
    void Finalize();

    // For each note-off, the nearest note-on before it at the same tick changes places with
    // it, each position keeping its delta. Needs state 1.
    void OrderNoteOffs();

    // Exchanges two events; each position keeps its delta time.
    void SwapKeepingTimes(std::int32_t i, std::int32_t j);

    // Scales every delta and duration from one division to another, carrying the remainder
    // so that absolute times stay close to the exact ones. A note whose duration becomes 0
    // is removed (mode 1) or lasts one tick (any other mode); either gives 1, else 0.
    // A division of 0 or less can't be scaled from or to: reported (0D000010), nothing changes.
    std::int32_t Rescale(std::int32_t oldDivision, std::int32_t newDivision, std::int32_t mode);

    // The value of the first time-signature meta event, if there is one.
    bool FindTimeSignature(std::int32_t& value) const;

    std::int32_t count() const { return events_.count(); }
    const MusicEvent& At(std::int32_t position) const { return events_[position]; }
    MusicEvent& At(std::int32_t position) { return events_[position]; }
    std::span<const MusicEvent> Events() const { return events_.Events(); }
    std::span<MusicEvent> Events() { return events_.Events(); }

    static void ReportError(ErrorCode code);

    FileBuffer fileBuffer;
    std::int32_t state = kStateConstructed;

private:
    bool HasRoomFor(std::int32_t more) const;
    void RemoveTimelessNotes();
    void PairNotes();
    void MoveEndOfTrackLast();

    EventList events_;
};

}  // namespace zamrit
