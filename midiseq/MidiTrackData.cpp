#include "midiseq/MidiTrackData.h"

#include <algorithm>
#include <array>
#include <limits>
#include <queue>

#include "melody/MidiEventKind.h"
#include "melody/MobileCommand.h"
#include "melody/ModuleReporter.h"
#include "melody/TickMath.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 36> kTexts{{
    {0x0D000001, "MidiTrackData Internal Error"},
    {0x0D000002, "Undefined Midi Event"},
    {0x0D000003, "Chanel is wrong"},
    {0x0D000005, "Tempo is wrong."},
    {0x0D000006, "Large data"},
    {0x0D000007, "This is not a midi file."},
    {0x0D000008, "Drum range is not within 35 to 81. Data is modified."},
    {0x0D00000C, "Wrong program change is modified to zero."},
    {0x0D00000D, "Duplicate note on has been found."},
    {0x0D00000E, "Duplicate note off has been found."},
    {0x0D000010, "Invalid parameter."},
    {0x0D000013, "Drum bank select is wrong."},
    {0x0D000014, "Note number is wrong."},
    {0x0D000015, "MidiTrackData tempo data is wrong."},
    {0x0D000018, "Can not find center note!"},
    {0x0D000019, "Musical data is invalid!"},
    {0x0D00001B, "Musical data is invalid!"},
    {0x0D00001A, "Can not add data!"},
    {0x0D00001C, "Can not divice data!"},
    {0x0D00001D, "The number of voice is invalid!"},
    {0x0D00001E, "Channel volume is invalid!"},
    {0x0D00001F, "Can not marge tracks!"},
    {0x0D000020, "Error occured in channel data!"},
    {0x0D000021, "Error occured in note!"},
    {0x0D000022, "Error occured in adding data!"},
    {0x0D000028, "Error occured in adding data!"},
    {0x0D000023, "Error occured in connecting notes!"},
    {0x0D000024, "Value is invalid!"},
    {0x0D000025, "Data is invalid!"},
    {0x0D000026, "Error occured in track!"},
    {0x0D000027, "Error occured in time sign!"},
    {0x0D000029, "Error occured in data operation!"},
    {0x0D00002A, "Error occured in reducing voice!"},
    {0x0D00002B, "Error occured in pitch bend editing!"},
    {0x0D00002C, "Error occured in data editing!"},
    {0x0D00002D, "Error occured in data editing!"},
}};

constexpr ModuleReporter kReporter{"MDTK", kTexts, "MidiTrackData error."};

// An event whose data is at least this long is suspect when the track lets it go, unless
// its code marks it as a long message on purpose.
constexpr std::int32_t kLongDataCode = 127;

MusicEvent MakeMeta(std::int32_t delta, std::int32_t type, std::int32_t value,
                    std::span<const std::uint8_t> data) {
    MusicEvent event(delta);
    event.kind = kMidiMeta;
    event.code = type;
    event.value = value;
    event.SetData(data);
    return event;
}

// A note whose note-off is still to be placed.
struct PendingNoteOff {
    std::int64_t end;
    std::int64_t order;  // notes in track order; at equal ends the later note goes first
    std::int32_t key;
    std::int32_t channel;
};

struct PlacedLater {
    bool operator()(const PendingNoteOff& a, const PendingNoteOff& b) const {
        if (a.end != b.end) return a.end > b.end;
        return a.order < b.order;
    }
};

MusicEvent MakeNoteOff(const PendingNoteOff& note) {
    MusicEvent event;
    event.kind = kMidiNoteOff;
    event.key = note.key;
    event.channel = note.channel;
    event.velocity = MidiTrackData::kNoteOffVelocity;
    return event;
}

}  // namespace

MidiTrackData::MidiTrackData(std::int32_t capacity)
    : fileBuffer(static_cast<std::uint32_t>(std::max(capacity, 0))) {}

MidiTrackData::~MidiTrackData() {
    for (const MusicEvent& event : events_) {
        if (event.dataLength >= static_cast<std::int32_t>(MusicEvent::kLargeDataLength) &&
            event.code != kLongDataCode) {
            ReportError(0x0D00001A);
        }
    }
}

bool MidiTrackData::HasRoomFor(std::int32_t more) const {
    if (events_.HasRoomFor(more)) return true;
    ReportError(0x0D000006);
    return false;
}

void MidiTrackData::Append(MusicEvent event) {
    if (HasRoomFor(1)) events_.Append(std::move(event));
}

void MidiTrackData::AppendTempo(std::int32_t microsecondsPerQuarter) {
    Append(MakeTempoEvent(microsecondsPerQuarter));
}

MusicEvent MidiTrackData::MakeTempoEvent(std::int32_t microsecondsPerQuarter) {
    if (microsecondsPerQuarter == 0) {
        ReportError(0x0D000015);
        microsecondsPerQuarter = kDefaultTempo;
    }
    const auto tempo = static_cast<std::uint32_t>(microsecondsPerQuarter);
    const std::array<std::uint8_t, 3> bytes{static_cast<std::uint8_t>(tempo >> 16),
                                            static_cast<std::uint8_t>(tempo >> 8),
                                            static_cast<std::uint8_t>(tempo)};
    return MakeMeta(0, kSetTempo, microsecondsPerQuarter, bytes);
}

void MidiTrackData::AppendEndOfTrack(std::int32_t delta) {
    if (!events_.empty() && events_.back().IsCommand(kEndOfTrack)) return;
    static constexpr std::array<std::uint8_t, 3> kBytes{0xFF, 0x2F, 0x00};
    Append(MakeMeta(delta, kEndOfTrack, 0, kBytes));
}

void MidiTrackData::InsertAt(std::int32_t position, std::int32_t mode, MusicEvent event) {
    if (!HasRoomFor(1)) return;
    const std::int64_t wanted = mode == 2 ? std::int64_t{position} : std::int64_t{position} + 1;
    const auto place = static_cast<std::int32_t>(std::clamp<std::int64_t>(wanted, 0, count()));
    events_.Insert(place, std::move(event));
}

void MidiTrackData::InsertMasterVolume(std::int32_t volume, std::int32_t position) {
    if (volume > 127) ReportError(0x0D000001);
    // Universal real-time (7F), all devices (7F), device control (04), master volume (01),
    // volume low byte 0, high byte vv; the stored form keeps the length byte after F0.
    const std::array<std::uint8_t, 9> bytes{0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01,
                                            0x00, static_cast<std::uint8_t>(volume), 0xF7};
    MusicEvent event(0);
    event.kind = kMidiExclusive;
    event.code = 1;
    event.value = volume;
    event.SetData(bytes);
    InsertAt(position, 2, std::move(event));
}

void MidiTrackData::Purge() {
    std::int64_t carried = 0;
    bool carrying = false;
    std::int32_t kept = 0;
    for (MusicEvent& event : events_) {
        if (carrying) {
            const std::int64_t sum = std::int64_t{event.delta} + carried;
            if (sum < 0) ReportError(0x0D000001);
            event.delta = ClampToInt32(sum);
        }
        if (event.kind == kEmptyEvent) {
            carried = event.delta;
            carrying = true;
            continue;
        }
        carrying = false;
        if (&events_[kept] != &event) events_[kept] = std::move(event);
        ++kept;
    }
    events_.Truncate(kept);
}

void MidiTrackData::Finalize() {
    if (state != kStateUnderConstruction) {
        ReportError(0x0D000001);
        return;
    }
    RemoveTimelessNotes();
    PairNotes();
    MoveEndOfTrackLast();
    state = kStateReady;
    OrderNoteOffs();
}

void MidiTrackData::RemoveTimelessNotes() {
    std::int64_t notes = 0;
    for (MusicEvent& event : events_) {
        if (event.kind != kNoteEvent) continue;
        if (event.duration <= 0 || event.velocity == 0) {
            event.kind = kEmptyEvent;
        } else {
            ++notes;
        }
    }
    // Every note gains a note-off; notes that would take the list past its limit are left
    // out (the later ones), so that the notes that stay are all switched off.
    const std::int64_t others = count() - notes;
    const std::int64_t room = std::max<std::int64_t>((kEventLimit - others) / 2, 0);
    if (notes > room) {
        ReportError(0x0D000006);
        std::int64_t seen = 0;
        for (MusicEvent& event : events_) {
            if (event.kind == kNoteEvent && ++seen > room) event.kind = kEmptyEvent;
        }
    }
    Purge();
}

void MidiTrackData::PairNotes() {
    // One walk in track order: each note-off is due at its note's end and goes before every
    // other event of that tick; of note-offs due at one tick, the later note's comes first.
    std::priority_queue<PendingNoteOff, std::vector<PendingNoteOff>, PlacedLater> pending;
    // RemoveTimelessNotes has left room for every note-off: nothing is refused here.
    EventList paired;
    paired.Reserve(static_cast<std::size_t>(count()) * 2);
    std::int64_t tick = 0;
    std::int64_t lastPlaced = 0;
    std::int64_t order = 0;

    auto place = [&](MusicEvent event, std::int64_t at) {
        event.delta = ClampToInt32(at - lastPlaced);
        lastPlaced = at;
        paired.Append(std::move(event));
    };
    auto placeNoteOffsDueBy = [&](std::int64_t at) {
        while (!pending.empty() && pending.top().end <= at) {
            const PendingNoteOff due = pending.top();
            pending.pop();
            place(MakeNoteOff(due), due.end);
        }
    };

    for (MusicEvent& event : events_) {
        tick += event.delta;
        placeNoteOffsDueBy(tick);
        if (event.kind == kNoteEvent) {
            pending.push({tick + event.duration, order++, event.key, event.channel});
            event.kind = kMidiNoteOn;
            event.duration = 0;
        }
        place(std::move(event), tick);
    }
    placeNoteOffsDueBy(std::numeric_limits<std::int64_t>::max());
    events_ = std::move(paired);
}

void MidiTrackData::MoveEndOfTrackLast() {
    const auto end = std::find_if(events_.begin(), events_.end(), [](const MusicEvent& event) {
        return event.IsCommand(kEndOfTrack);
    });
    if (end == events_.end() || end + 1 == events_.end()) return;
    MusicEvent& next = *(end + 1);
    next.delta = AddTicks(next.delta, end->delta);
    end->delta = 0;
    std::rotate(end, end + 1, events_.end());
}

void MidiTrackData::OrderNoteOffs() {
    if (state != kStateReady) {
        ReportError(0x0D000001);
        return;
    }
    // Positions of the note-ons at the tick of the current event (the event before a run of
    // zero deltas and the run itself), latest last.
    std::vector<std::int32_t> noteOnsAtTick;
    for (std::int32_t i = 0; i < count(); ++i) {
        if (events_[i].delta != 0) noteOnsAtTick.clear();
        if (events_[i].kind == kMidiNoteOff && !noteOnsAtTick.empty()) {
            const std::int32_t j = noteOnsAtTick.back();
            SwapKeepingTimes(i, j);
            noteOnsAtTick.back() = i;  // the note-on now lies at i, the note-off at j
        } else if (events_[i].kind == kMidiNoteOn) {
            noteOnsAtTick.push_back(i);
        }
    }
}

void MidiTrackData::SwapKeepingTimes(std::int32_t i, std::int32_t j) {
    if (i == j || i < 0 || j < 0 || i >= count() || j >= count()) return;
    std::swap(events_[i], events_[j]);
    std::swap(events_[i].delta, events_[j].delta);
}

std::int32_t MidiTrackData::Rescale(std::int32_t oldDivision, std::int32_t newDivision,
                                    std::int32_t mode) {
    if (oldDivision == newDivision) return 0;
    if (state != kStateUnderConstruction) {
        ReportError(0x0D000001);
        return 0;
    }
    if (oldDivision <= 0 || newDivision <= 0) {
        ReportError(0x0D000010);
        return 0;
    }
    std::int32_t result = 0;
    std::int64_t carry = 0;
    for (MusicEvent& event : events_) {
        // Kept in 32 bits so that the products below stay in 64 bits.
        const std::int64_t ticks = ClampToInt32(event.delta + carry);
        const std::int32_t scaled = ClampToInt32(ticks * newDivision / oldDivision);
        carry = ticks - std::int64_t{scaled} * oldDivision / newDivision;
        event.delta = scaled;
        if (event.kind != kNoteEvent) continue;
        event.duration = ClampToInt32(std::int64_t{event.duration} * newDivision / oldDivision);
        if (event.duration == 0) {
            if (mode == 1) {
                event.kind = kEmptyEvent;
            } else {
                event.duration = 1;
            }
            result = 1;
        }
    }
    Purge();
    return result;
}

bool MidiTrackData::FindTimeSignature(std::int32_t& value) const {
    for (const MusicEvent& event : events_) {
        if (event.IsCommand(kTimeSignature)) {
            value = event.value;
            return true;
        }
    }
    return false;
}

void MidiTrackData::ReportError(ErrorCode code) { kReporter.Report(code); }

}  // namespace zamrit
