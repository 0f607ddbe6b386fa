#include "melody/EventList.h"

#include <algorithm>

namespace zamrit {

MusicEvent* EventList::Append(MusicEvent event) {
    if (!HasRoomFor(1)) return nullptr;
    return &events_.emplace_back(std::move(event));
}

MusicEvent* EventList::Insert(std::int32_t place, MusicEvent event) {
    if (!HasRoomFor(1)) return nullptr;
    return &*events_.insert(events_.begin() + place, std::move(event));
}

void EventList::Erase(std::int32_t position) { events_.erase(events_.begin() + position); }

void EventList::Truncate(std::int32_t kept) {
    if (kept < count()) events_.erase(events_.begin() + kept, events_.end());
}

void EventList::Reserve(std::size_t events) {
    events_.reserve(std::min(events, static_cast<std::size_t>(kCapacity)));
}

}  // namespace zamrit
