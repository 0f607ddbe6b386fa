#include "melody/MobileTrackData.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "melody/MobileCommand.h"
#include "melody/ModuleReporter.h"
#include "melody/OnceOnlyWarnings.h"
#include "melody/TickMath.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 8> kTexts{{
    {0x0C000001, "Unknown command in mobile track data!"},
    {0x0C000002, "Unknown event in mobile track data!"},
    {0x0C000003, "Can not open file!"},
    {0x0C000005, "The location of master volume is invalid!"},
    {0x0C000006, "Channel data is invalid!"},
    {0x0C000007, "Drum data is invalid!"},
    {0x0C000008, "Can not add data!"},
    {0x0C000009, "Track end is invalid!"},
}};

constexpr ModuleReporter kReporter{"MBTK", kTexts, "Error occured in MobileTrackData!"};

constexpr std::array<ErrorText, 1> kWarnings{{
    {0x0C000004, "構成上、再生されないボイスがあります。"},
}};

OnceOnlyWarnings& Warnings() {
    static OnceOnlyWarnings warnings(kReporter, kWarnings);
    return warnings;
}

constexpr std::array<std::int32_t, 13> kChannelCommands{33, 34, 35, 36, 39, 40, 42,
                                                        43, 49, 50, 51, 53, 71};

}  // namespace

MobileTrackData::MobileTrackData(std::int32_t /*capacity*/) { ReportOnce(0); }

MobileTrackData::MobileTrackData(std::span<const MobileChannelData* const> lists,
                                 std::int32_t /*capacity*/) {
    // Room for every event once, in the list and in the spare the merges take turns with,
    // so that no merge allocates again.
    std::size_t total = 0;
    for (std::size_t i = 0; i < lists.size() && i < kPlayableChannels; ++i) {
        if (lists[i] != nullptr) total += lists[i]->Events().size();
    }
    events_.Reserve(total);
    EventList spare;
    spare.Reserve(total);
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const MobileChannelData* list = lists[i];
        if (list == nullptr) continue;
        if (i < channelTypes.size()) channelTypes[i] = list->channelType;
        if (i >= kPlayableChannels) {
            // No MIDI channel is left for it: reported, and its events stay out.
            ReportError(0x0C000006);
            continue;
        }
        Merge(static_cast<std::int32_t>(i), list->Events(), spare);
    }
    ReportOnce(0);
    if (events_.empty()) AppendCommand(0, MusicEvent::kNoChannel, kTrackEnd, 0);
}

void MobileTrackData::Append(MusicEvent event) {
    if (events_.Append(std::move(event)) == nullptr) ReportError(0x0C000008);
}

void MobileTrackData::AppendEmpty(std::int32_t delta) { Append(MusicEvent(delta)); }

void MobileTrackData::AppendCommand(std::int32_t delta, std::int32_t channel, std::int32_t code,
                                    std::int32_t value) {
    MusicEvent event(delta);
    event.kind = kCommandEvent;
    event.channel = channel;
    event.code = code & 0xFF;
    event.value = value;
    Append(std::move(event));
}

void MobileTrackData::AppendNote(std::int32_t delta, std::int32_t channel, std::int32_t key,
                                 std::int32_t duration, std::int32_t velocity) {
    MusicEvent event(delta);
    event.kind = kNoteEvent;
    event.channel = channel;
    event.key = key;
    event.duration = duration;
    event.velocity = velocity;
    Append(std::move(event));
}

void MobileTrackData::AppendWithChannel(std::int32_t channel, const MusicEvent& event) {
    AppendWithChannelAt(channel, event, event.delta);
}

// Each copy is made before it is stored, so `event` may be one of this list's own events. A
// full list is checked first, so that a refused event's data is never copied (or reported).
void MobileTrackData::AppendWithChannelAt(std::int32_t channel, const MusicEvent& event,
                                          std::int32_t delta) {
    if (!events_.HasRoomFor(1)) {
        ReportError(0x0C000008);
        return;
    }
    MusicEvent copy(delta);
    copy.SetData(event.DataBytes());
    copy.kind = event.kind;
    copy.key = event.key;
    copy.duration = event.duration;
    copy.velocity = event.velocity;
    copy.code = event.code;
    copy.value = event.value;
    copy.channel = IsChannelEvent(event) ? channel : MusicEvent::kNoChannel;
    Append(std::move(copy));
}

void MobileTrackData::AppendCopy(const MusicEvent& event) {
    if (!events_.HasRoomFor(1)) {
        ReportError(0x0C000008);
        return;
    }
    MusicEvent copy;
    copy.CopyFrom(event);
    copy.channel = event.channel;
    Append(std::move(copy));
}

bool MobileTrackData::IsChannelEvent(const MusicEvent& event) {
    if (event.kind == kNoteEvent) return true;
    if (event.kind != kCommandEvent) return false;
    return std::find(kChannelCommands.begin(), kChannelCommands.end(), event.code) !=
           kChannelCommands.end();
}

void MobileTrackData::Merge(std::int32_t channel, std::span<const MusicEvent> events) {
    EventList spare;
    Merge(channel, events, spare);
}

void MobileTrackData::Merge(std::int32_t channel, std::span<const MusicEvent> events,
                            EventList& spare) {
    // The old events go to the spare list; the list fills the spare's storage.
    std::swap(events_, spare);
    const std::span<MusicEvent> old = spare.Events();
    events_.Clear();
    events_.Reserve(old.size() + events.size());

    std::size_t j = 0;
    std::size_t i = 0;
    std::int64_t newDelta = events.empty() ? 0 : events[0].delta;
    std::optional<std::int32_t> trackEnd;
    auto takeNew = [&] {
        AppendWithChannelAt(channel, events[i], ClampToInt32(newDelta));
        if (++i < events.size()) newDelta = events[i].delta;
    };
    auto takeOld = [&] { Append(std::move(old[j++])); };

    while (j < old.size() || i < events.size()) {
        // Of the track ends the merge has passed, only the newest stays one.
        if (!events_.empty() && events_.back().IsCommand(kTrackEnd)) {
            const std::int32_t last = count() - 1;
            if (trackEnd && *trackEnd != last) events_[*trackEnd].kind = kEmptyEvent;
            trackEnd = last;
        }
        if (j == old.size()) {
            takeNew();
        } else if (i == events.size()) {
            takeOld();
        } else if (old[j].delta <= newDelta) {
            newDelta -= old[j].delta;
            takeOld();
        } else {
            old[j].delta = ClampToInt32(old[j].delta - newDelta);
            takeNew();
        }
    }
    spare.Clear();  // its storage stays for the next merge
}

void MobileTrackData::RemoveAt(std::int32_t position) {
    if (position < 0 || position >= count()) return;
    if (position + 1 < count()) {
        MusicEvent& next = events_[position + 1];
        next.delta = AddTicks(next.delta, events_[position].delta);
    }
    events_.Erase(position);
}

void MobileTrackData::Purge() {
    // One pass: each empty event hands its delta on to the next event that stays.
    std::int64_t carried = 0;
    std::int32_t kept = 0;
    for (MusicEvent& event : events_) {
        if (event.kind == kEmptyEvent) {
            carried += event.delta;
            continue;
        }
        event.delta = ClampToInt32(event.delta + carried);
        carried = 0;
        if (&events_[kept] != &event) events_[kept] = std::move(event);
        ++kept;
    }
    events_.Truncate(kept);
}

void MobileTrackData::InsertAt(std::int32_t position, std::int32_t mode, MusicEvent event) {
    const std::int64_t wanted = mode == 2 ? std::int64_t{position} : std::int64_t{position} + 1;
    const auto place = static_cast<std::int32_t>(std::clamp<std::int64_t>(wanted, 0, count()));
    if (events_.Insert(place, std::move(event)) == nullptr) ReportError(0x0C000008);
}

void MobileTrackData::ReportError(ErrorCode code) { kReporter.Report(code); }

void MobileTrackData::ReportOnce(ErrorCode code) { Warnings().Report(code); }

}  // namespace zamrit
