#include "score/ScoreBuilder.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <span>
#include <string>
#include <utility>

#include "melody/MobileChannelData.h"
#include "melody/MobileCommand.h"
#include "melody/ErrorReporting.h"
#include "melody/MobileData.h"
#include "score/DurationSplitter.h"
#include "score/PitchSpeller.h"

namespace zamrit::score {
namespace {

constexpr std::int32_t kGrid = kTicksPerQuarter / 8;       // a 32nd
constexpr std::int32_t kSixteenth = kTicksPerQuarter / 4;

// Keys each staff writes without ledger lines: D4-G5 on the treble staff, F2-B3 on the bass.
constexpr std::pair<std::int32_t, std::int32_t> kTrebleSpan{62, 79};
constexpr std::pair<std::int32_t, std::int32_t> kBassSpan{41, 59};

// Notes of one voice that start together: where they start, the keys, and until when the
// longest sounds (melody ticks at 96 to the quarter).
struct Onset {
    std::int64_t start;
    std::int64_t soundEnd;
    std::vector<std::int32_t> keys;
};

// A written sound: from its start up to where the notation lets it end.
struct Sound {
    std::int64_t start;
    std::int64_t end;
    std::vector<std::int32_t> keys;
};

// Ticks are counted in 64 bits: a melody's deltas add up past 2^31 long before its lists are full.
std::int64_t ToGrid(std::int64_t tick, std::int32_t timeBase) {
    const std::int64_t ticks = timeBase > 0 ? tick * kTicksPerQuarter / timeBase : tick;
    return (ticks + kGrid / 2) / kGrid * kGrid;
}

std::int64_t RoundUp(std::int64_t ticks, std::int64_t unit) { return (ticks + unit - 1) / unit * unit; }

// The onsets of a voice's notes; a note whose key lies outside the written range is left
// out and counted in `leftOut`.
std::vector<Onset> OnsetsOf(const MobileChannelData& list, std::int32_t timeBase, std::int64_t& leftOut) {
    std::map<std::int64_t, Onset> byStart;
    std::int64_t tick = 0;
    for (const auto& event : list.Events()) {
        tick += event.delta;
        if (event.kind != kNoteEvent) continue;
        if (!PitchSpeller::Writable(event.key)) {
            ++leftOut;
            continue;
        }
        const std::int64_t start = ToGrid(tick, timeBase);
        const std::int64_t end = ToGrid(tick + std::max(0, event.duration), timeBase);
        Onset& onset = byStart.try_emplace(start, Onset{start, start, {}}).first->second;
        onset.soundEnd = std::max(onset.soundEnd, end);
        if (std::find(onset.keys.begin(), onset.keys.end(), event.key) == onset.keys.end()) {
            onset.keys.push_back(event.key);
        }
    }
    std::vector<Onset> onsets;
    for (auto& [start, onset] : byStart) {
        std::sort(onset.keys.begin(), onset.keys.end());
        onsets.push_back(std::move(onset));
    }
    return onsets;
}

std::int32_t LedgerCost(std::span<const Onset> onsets, std::pair<std::int32_t, std::int32_t> span) {
    std::int32_t cost = 0;
    for (const Onset& onset : onsets) {
        for (const std::int32_t key : onset.keys) {
            cost += std::max(0, span.first - key) + std::max(0, key - span.second);
        }
    }
    return cost;
}

// The onsets (in order of their starts) that start in [from, to).
std::span<const Onset> OnsetsWithin(const std::vector<Onset>& onsets, std::int64_t from, std::int64_t to) {
    const auto byStart = [](const Onset& onset, std::int64_t tick) { return onset.start < tick; };
    const auto first = std::lower_bound(onsets.begin(), onsets.end(), from, byStart);
    const auto last = std::lower_bound(first, onsets.end(), to, byStart);
    return {first, last};
}

// The written sounds of the onsets in [from, to): each up to the next onset, or, when it falls
// silent a beat or more before that, up to its sounding end rounded up to an eighth (a
// sixteenth for a note that sounds less than a beat). In order, and none overlaps the next.
std::vector<Sound> SoundsOf(const std::vector<Onset>& onsets, std::int64_t from, std::int64_t to) {
    std::vector<Sound> sounds;
    const std::span<const Onset> within = OnsetsWithin(onsets, from, to);
    for (std::size_t i = 0; i < within.size(); ++i) {
        const Onset& onset = within[i];
        const std::int64_t next = i + 1 < within.size() ? within[i + 1].start : to;
        std::int64_t end = next;
        if (next - onset.soundEnd >= kTicksPerQuarter) {
            const std::int64_t sounding = onset.soundEnd - onset.start;
            const std::int64_t unit = sounding >= kTicksPerQuarter ? kTicksPerQuarter / 2 : kSixteenth;
            end = std::min(next, onset.start + std::max<std::int64_t>(kSixteenth, RoundUp(sounding, unit)));
        }
        sounds.push_back({onset.start, end, onset.keys});
    }
    return sounds;
}

void AppendRest(VoiceBar& bar, std::int32_t from, std::int32_t to) {
    std::int32_t position = from;
    for (const std::int32_t ticks : DurationSplitter::Silence(from, to - from)) {
        Element rest;
        rest.start = position;
        rest.ticks = ticks;
        bar.elements.push_back(rest);
        position += ticks;
    }
}

void AppendSound(VoiceBar& bar, std::int32_t from, std::int32_t to, const std::vector<Pitch>& pitches,
                 bool fromPrevious, bool toNext) {
    const std::vector<std::int32_t> parts = DurationSplitter::Sound(from, to - from);
    std::int32_t position = from;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        Element note;
        note.start = position;
        note.ticks = parts[i];
        note.pitches = pitches;
        note.showAccidental.assign(pitches.size(), false);
        note.tiedFromPrevious = i > 0 || fromPrevious;
        note.tieToNext = i + 1 < parts.size() || toNext;
        bar.elements.push_back(note);
        position += parts[i];
    }
}

// The bar of a voice from its sounds. The bars are written in order, and `next` keeps the
// first sound not yet over, so every sound is visited only in the bars it sounds in.
VoiceBar WriteVoiceBar(const std::vector<Sound>& sounds, std::size_t& next, std::int64_t barStart,
                       std::int32_t barTicks, std::int32_t keyFifths) {
    VoiceBar bar;
    const std::int64_t barEnd = barStart + barTicks;
    while (next < sounds.size() && sounds[next].end <= barStart) ++next;
    std::int64_t position = barStart;
    for (std::size_t i = next; i < sounds.size() && sounds[i].start < barEnd; ++i) {
        const Sound& sound = sounds[i];
        const std::int64_t from = std::max(sound.start, barStart);
        const std::int64_t to = std::min(sound.end, barEnd);
        // Within the bar: fewer ticks than a bar, which has 32 bits.
        const auto inBar = [barStart](std::int64_t tick) { return static_cast<std::int32_t>(tick - barStart); };
        if (from > position) AppendRest(bar, inBar(position), inBar(from));
        std::vector<Pitch> pitches;
        for (const std::int32_t key : sound.keys) pitches.push_back(PitchSpeller::Spell(key, keyFifths));
        AppendSound(bar, inBar(from), inBar(to), pitches, sound.start < barStart, sound.end > barEnd);
        position = to;
    }
    if (position == barStart) {
        Element rest;
        rest.ticks = barTicks;
        rest.wholeBarRest = true;
        bar.elements.push_back(rest);
        return bar;
    }
    if (position < barEnd) AppendRest(bar, static_cast<std::int32_t>(position - barStart), barTicks);
    return bar;
}

// An accidental where the key signature, or an earlier note of the bar on the same staff
// line and octave, does not already give the note its alteration. A tied continuation shows
// none.
void MarkAccidentals(Bar& bar, const std::vector<VoicePlace>& places, std::int32_t staff,
                     std::int32_t keyFifths) {
    std::vector<Element*> notes;
    for (std::size_t v = 0; v < places.size(); ++v) {
        if (places[v].staff != staff) continue;
        for (Element& element : bar.voices[v].elements) {
            if (!element.IsRest()) notes.push_back(&element);
        }
    }
    std::stable_sort(notes.begin(), notes.end(),
                     [](const Element* a, const Element* b) { return a->start < b->start; });
    std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> inEffect;
    for (Element* note : notes) {
        for (std::size_t p = 0; p < note->pitches.size(); ++p) {
            const Pitch& pitch = note->pitches[p];
            const auto line = std::make_pair(pitch.step, pitch.octave);
            const auto found = inEffect.find(line);
            const std::int32_t current =
                found != inEffect.end() ? found->second : PitchSpeller::KeyAlter(pitch.step, keyFifths);
            note->showAccidental[p] = !note->tiedFromPrevious && current != pitch.alter;
            inEffect[line] = pitch.alter;
        }
    }
}

// Beams join the notes shorter than a quarter that follow each other within one beat.
void MarkBeams(VoiceBar& bar) {
    std::vector<Element*> group;
    std::int32_t groupBeat = -1;
    auto close = [&group] {
        if (group.size() >= 2) {
            for (Element* note : group) note->beam = Element::Beam::Continue;
            group.front()->beam = Element::Beam::Begin;
            group.back()->beam = Element::Beam::End;
        }
        group.clear();
    };
    for (Element& element : bar.elements) {
        const std::int32_t beat = element.start / kTicksPerQuarter;
        const bool withinBeat = (element.start + element.ticks - 1) / kTicksPerQuarter == beat;
        const bool flagged = !element.IsRest() && element.ticks < kTicksPerQuarter && withinBeat;
        if (!flagged || beat != groupBeat) close();
        if (flagged) {
            groupBeat = beat;
            group.push_back(&element);
        }
    }
    close();
}

// The staff and place of every voice in the ticks [from, to): the first voice on the treble
// staff, the second on the bass staff, every other one where it needs fewer ledger lines. Two
// voices on a staff get places 1 (upper) and 2 (lower): on the treble staff the earlier voice
// is the upper one, on the bass staff the bass itself is the lower one.
std::vector<VoicePlace> PlaceVoices(const std::vector<std::vector<Onset>>& voiceOnsets, std::int64_t from,
                                    std::int64_t to, const std::vector<VoicePlace>& before) {
    std::vector<VoicePlace> places(voiceOnsets.size());
    for (std::size_t v = 2; v < voiceOnsets.size(); ++v) {
        const std::span<const Onset> within = OnsetsWithin(voiceOnsets[v], from, to);
        if (within.empty() && v < before.size()) {
            places[v].staff = before[v].staff;  // a silent voice stays where it was
            continue;
        }
        places[v].staff = LedgerCost(within, kBassSpan) <= LedgerCost(within, kTrebleSpan) ? 1 : 0;
    }
    if (places.size() > 1) places[1].staff = 1;
    for (std::int32_t staff = 0; staff < 2; ++staff) {
        std::vector<std::size_t> onStaff;
        for (std::size_t v = 0; v < places.size(); ++v) {
            if (places[v].staff == staff) onStaff.push_back(v);
        }
        if (onStaff.size() < 2) continue;
        if (staff == 1) std::rotate(onStaff.begin(), onStaff.begin() + 1, onStaff.end());
        for (std::size_t i = 0; i < onStaff.size(); ++i) places[onStaff[i]].place = static_cast<std::int32_t>(i) + 1;
    }
    return places;
}

// The voices a score of the melody writes: its lists with notes, drum lists aside; a grand
// staff has two at least.
std::int64_t VoiceCount(const MobileData& melody) {
    std::int64_t voices = 0;
    for (std::int32_t list = 0; list < melody.channelCount; ++list) {
        const MobileChannelData& channel = melody.Channel(list);
        if (channel.channelType == MobileChannelData::kDrum) continue;
        const auto& events = channel.Events();
        if (std::any_of(events.begin(), events.end(), [](const auto& event) { return event.kind == kNoteEvent; })) {
            ++voices;
        }
    }
    return std::max<std::int64_t>(voices, 2);
}

}  // namespace

std::optional<std::string> ScoreBuilder::Refusal(const MobileData& melody, const ScoreLayout& layout) {
    const std::int64_t bars = layout.BarCount();
    if (bars > kMostBars) {
        return "Score not written: the piece has " + std::to_string(bars) + " bars, and a score has at most " +
               std::to_string(kMostBars);
    }
    const std::int64_t voices = VoiceCount(melody);
    const std::int64_t quarters = layout.QuarterCount();
    if (quarters > kMostVoiceQuarters / voices) {
        return "Score not written: the piece has " + std::to_string(voices) + " voices of " +
               std::to_string(quarters) + " quarter notes, and a score has at most " +
               std::to_string(kMostVoiceQuarters) + " quarter notes in all its voices together";
    }
    return std::nullopt;
}

Score ScoreBuilder::Build(const MobileData& melody, const ScoreLayout& layout) {
    Score score;
    score.title = layout.title;
    score.beatsPerMinute = layout.beatsPerMinute;
    if (Refusal(melody, layout)) return score;

    std::int64_t leftOut = 0;
    std::vector<std::vector<Onset>> voiceOnsets;
    for (std::int32_t list = 0; list < melody.channelCount; ++list) {
        const MobileChannelData& channel = melody.Channel(list);
        if (channel.channelType == MobileChannelData::kDrum) continue;
        std::vector<Onset> onsets = OnsetsOf(channel, melody.timeBase, leftOut);
        if (onsets.empty()) continue;
        score.channels.push_back(list);
        voiceOnsets.push_back(std::move(onsets));
    }
    if (leftOut > 0) {
        ShowErrorMessage(std::to_string(leftOut) + (leftOut == 1 ? " note lies" : " notes lie") +
                         " outside the written range C0 to B9 (keys 12 to 131) and " +
                         (leftOut == 1 ? "is" : "are") + " left out of the score");
    }
    // A grand staff always has both staves: a voice of rests stands in for a missing one.
    while (score.channels.size() < 2) {
        score.channels.push_back(-1);
        voiceOnsets.emplace_back();
    }

    for (const SectionPlan& plan : layout.sections) {
        Section section;
        section.label = plan.label;
        section.keyFifths = plan.keyFifths;
        section.beatsPerBar = plan.beatsPerBar;
        section.repeated = plan.repeated;
        const std::int32_t barTicks = section.BarTicks();
        const std::int64_t sectionEnd = plan.firstTick + plan.barCount * barTicks;
        section.places = PlaceVoices(voiceOnsets, plan.firstTick, sectionEnd,
                                     score.sections.empty() ? std::vector<VoicePlace>{} : score.sections.back().places);
        std::vector<std::vector<Sound>> voiceSounds;
        for (const auto& onsets : voiceOnsets) voiceSounds.push_back(SoundsOf(onsets, plan.firstTick, sectionEnd));
        std::vector<std::size_t> nextSound(voiceSounds.size(), 0);
        for (std::int64_t b = 0; b < plan.barCount; ++b) {
            Bar bar;
            bar.number = static_cast<std::int32_t>(plan.firstBarNumber + b);
            const std::int64_t barStart = plan.firstTick + b * barTicks;
            for (std::size_t v = 0; v < voiceSounds.size(); ++v) {
                bar.voices.push_back(WriteVoiceBar(voiceSounds[v], nextSound[v], barStart, barTicks, plan.keyFifths));
            }
            for (std::int32_t staff = 0; staff < 2; ++staff) MarkAccidentals(bar, section.places, staff, plan.keyFifths);
            for (VoiceBar& voice : bar.voices) MarkBeams(voice);
            section.bars.push_back(std::move(bar));
        }
        score.sections.push_back(std::move(section));
    }
    return score;
}

}  // namespace zamrit::score
