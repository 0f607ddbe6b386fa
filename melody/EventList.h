#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "melody/MusicEvent.h"

namespace zamrit {

// The storage of every event list: the events themselves, in order, held by value. The list
// holds at most kCapacity events; an append or insert past it stores nothing and says so
// (false or nullptr), and the owning list reports the refusal in its own terms.
//
// Elements move when the list grows: a reference or pointer to an event is good only until
// the next append or insert.
//
// A list's storage is one block. Building a piece makes and drops a few lists of a thousand
// events or so, and the C library gives such blocks back to the system when they are freed
// (and faults them in again for the next piece), so the storage of a dropped list is kept for
// the next list this thread builds: a few blocks of a moderate size at most.
class EventList {
public:
    static constexpr std::int32_t kCapacity = MusicEvent::kListCapacity;

    EventList() = default;
    EventList(const EventList&) = delete;
    EventList& operator=(const EventList&) = delete;
    EventList(EventList&& other) noexcept = default;
    EventList& operator=(EventList&& other) noexcept;
    ~EventList();

    std::int32_t count() const { return static_cast<std::int32_t>(events_.size()); }
    bool empty() const { return events_.empty(); }
    // Whether `more` events still fit.
    bool HasRoomFor(std::int32_t more) const { return count() <= kCapacity - more; }

    // Appends the event; nullptr (nothing stored) when the list is full.
    MusicEvent* Append(MusicEvent event);
    // Inserts the event before `place` (0 to count()); nullptr when the list is full.
    MusicEvent* Insert(std::int32_t place, MusicEvent event);
    void Erase(std::int32_t position);
    // Keeps the first `kept` events.
    void Truncate(std::int32_t kept);
    void Clear() { events_.clear(); }
    // Room for `events` (at most kCapacity) without moving the stored ones again.
    void Reserve(std::size_t events);

    MusicEvent& operator[](std::int32_t position) { return events_[position]; }
    const MusicEvent& operator[](std::int32_t position) const { return events_[position]; }
    MusicEvent& back() { return events_.back(); }
    const MusicEvent& back() const { return events_.back(); }

    std::span<MusicEvent> Events() { return events_; }
    std::span<const MusicEvent> Events() const { return events_; }
    auto begin() { return events_.begin(); }
    auto end() { return events_.end(); }
    auto begin() const { return events_.begin(); }
    auto end() const { return events_.end(); }

private:
    // Room for `wanted` events (at most kCapacity): storage of this thread's dropped lists when
    // one is large enough, else a larger block of its own.
    void MakeRoom(std::size_t wanted);

    std::vector<MusicEvent> events_;
};

}  // namespace zamrit
