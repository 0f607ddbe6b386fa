#include "melody/EventList.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace zamrit {
namespace {

// The storage of this thread's dropped lists, kept for the next lists it builds. Only blocks
// of a useful size are kept (a list of a bar or two needs none), and none larger than a long
// piece needs, so what stays behind is bounded: at most kKeptBlocks × kLargestKept events.
constexpr std::size_t kKeptBlocks = 8;
constexpr std::size_t kSmallestKept = 64;
constexpr std::size_t kLargestKept = 0x2000;

// Under AddressSanitizer nothing is kept, so that an event read through a reference into a
// dropped list is still reported as a use after free instead of reading a kept block.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kKeepsStorage = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kKeepsStorage = false;
#else
constexpr bool kKeepsStorage = true;
#endif
#else
constexpr bool kKeepsStorage = true;
#endif

using Storage = std::vector<MusicEvent>;

std::array<Storage, kKeptBlocks>& KeptStorage() {
    thread_local std::array<Storage, kKeptBlocks> kept;
    return kept;
}

// The smallest kept block with room for `wanted` events, or an empty one.
Storage TakeStorage(std::size_t wanted) {
    Storage* best = nullptr;
    for (Storage& block : KeptStorage()) {
        if (block.capacity() < wanted) continue;
        if (best == nullptr || block.capacity() < best->capacity()) best = &block;
    }
    return best == nullptr ? Storage{} : std::move(*best);
}

// Keeps the block in place of the smallest kept one, when it is of a size worth keeping.
void KeepStorage(Storage&& block) {
    if (!kKeepsStorage) return;
    if (block.capacity() < kSmallestKept || block.capacity() > kLargestKept) return;
    block.clear();
    auto& kept = KeptStorage();
    Storage& smallest = *std::min_element(kept.begin(), kept.end(), [](auto& a, auto& b) {
        return a.capacity() < b.capacity();
    });
    if (smallest.capacity() < block.capacity()) smallest = std::move(block);
}

}  // namespace

EventList& EventList::operator=(EventList&& other) noexcept {
    if (this != &other) {
        KeepStorage(std::move(events_));
        events_ = std::move(other.events_);
        other.events_ = Storage{};
    }
    return *this;
}

EventList::~EventList() { KeepStorage(std::move(events_)); }

MusicEvent* EventList::Append(MusicEvent event) {
    if (!HasRoomFor(1)) return nullptr;
    MakeRoom(events_.size() + 1);
    return &events_.emplace_back(std::move(event));
}

MusicEvent* EventList::Insert(std::int32_t place, MusicEvent event) {
    if (!HasRoomFor(1)) return nullptr;
    MakeRoom(events_.size() + 1);
    return &*events_.insert(events_.begin() + place, std::move(event));
}

void EventList::Erase(std::int32_t position) { events_.erase(events_.begin() + position); }

void EventList::Truncate(std::int32_t kept) {
    if (kept < count()) events_.erase(events_.begin() + kept, events_.end());
}

void EventList::Reserve(std::size_t events) { MakeRoom(events); }

void EventList::MakeRoom(std::size_t wanted) {
    constexpr auto kMost = static_cast<std::size_t>(kCapacity);
    if (events_.capacity() >= wanted) return;
    // Grown as a vector grows, by doubling, so that appends stay amortised constant.
    wanted = std::min(std::max(wanted, 2 * events_.capacity()), kMost);
    Storage larger = TakeStorage(wanted);
    larger.reserve(wanted);
    std::move(events_.begin(), events_.end(), std::back_inserter(larger));
    KeepStorage(std::move(events_));
    events_ = std::move(larger);
}

}  // namespace zamrit
