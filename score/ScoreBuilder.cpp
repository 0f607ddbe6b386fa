#include "score/ScoreBuilder.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <map>
#include <span>
#include <string>
#include <utility>

#include "melody/MobileChannelData.h"
#include "melody/MobileCommand.h"
#include "melody/ErrorReporting.h"
#include "melody/MobileData.h"
#include "score/DurationSplitter.h"
#include "score/MarkCourse.h"
#include "score/DynamicMarks.h"
#include "score/PitchSpeller.h"
#include "score/TempoMarks.h"

namespace zamrit::score {
namespace {

constexpr std::int32_t kGrid = kTicksPerQuarter / 8;       // a 32nd
constexpr std::int32_t kSixteenth = kTicksPerQuarter / 4;
constexpr std::int32_t kBeat = kTicksPerQuarter;

// The General MIDI program of plucked strings (counted from 0): its notes are short by
// nature and the part reads "pizz." instead of staccato dots.
constexpr std::int32_t kPizzicatoProgram = 45;
// The channel volume before a list sets one, as a MIDI channel starts.
constexpr std::int32_t kStartVolume = 100;

// Keys each staff writes without ledger lines: D4-G5 on the treble staff, F2-B3 on the bass.
constexpr std::pair<std::int32_t, std::int32_t> kTrebleSpan{62, 79};
constexpr std::pair<std::int32_t, std::int32_t> kBassSpan{41, 59};

// Notes of one voice that start together: where they start, the keys, and until when the
// longest sounds (melody ticks at 96 to the quarter).
struct Onset {
    std::int64_t start;
    std::int64_t soundEnd;
    std::vector<std::int32_t> keys;
    std::int64_t sounding = 0;  // the longest gate, not taken to the grid
    bool plucked = false;       // played on the pizzicato program
    std::int32_t velocity = 0;  // the loudest note's
};

// A written sound: from its start up to where the notation lets it end.
struct Sound {
    std::int64_t start;
    std::int64_t end;
    std::vector<std::int32_t> keys;
    bool staccato = false;
    std::string words;
};

// Ticks are counted in 64 bits: a melody's deltas add up past 2^31 long before its lists are full.
std::int64_t ToGrid(std::int64_t tick, std::int32_t timeBase) {
    const std::int64_t ticks = timeBase > 0 ? tick * kTicksPerQuarter / timeBase : tick;
    return (ticks + kGrid / 2) / kGrid * kGrid;
}

std::int64_t Scaled(std::int64_t ticks, std::int32_t timeBase) {
    return timeBase > 0 ? ticks * kTicksPerQuarter / timeBase : ticks;
}

std::int64_t RoundUp(std::int64_t ticks, std::int64_t unit) { return (ticks + unit - 1) / unit * unit; }

// The values a list's commands of one code set, at the grid tick they are set at, in order.
std::vector<std::pair<std::int64_t, std::int32_t>> CommandsOf(const MobileChannelData& list, std::int32_t code,
                                                              std::int32_t timeBase) {
    std::vector<std::pair<std::int64_t, std::int32_t>> commands;
    std::int64_t tick = 0;
    for (const auto& event : list.Events()) {
        tick += event.delta;
        if (event.kind == kCommandEvent && event.code == code) commands.emplace_back(ToGrid(tick, timeBase), event.value);
    }
    return commands;
}

// The onsets of a voice's notes; a note whose key lies outside the written range is left
// out and counted in `leftOut`.
std::vector<Onset> OnsetsOf(const MobileChannelData& list, std::int32_t timeBase, std::int64_t& leftOut) {
    std::map<std::int64_t, Onset> byStart;
    std::int64_t tick = 0;
    std::int32_t program = -1;
    for (const auto& event : list.Events()) {
        tick += event.delta;
        if (event.kind == kCommandEvent && event.code == kVoice) program = event.value;
        if (event.kind != kNoteEvent) continue;
        if (!PitchSpeller::Writable(event.key)) {
            ++leftOut;
            continue;
        }
        const std::int64_t start = ToGrid(tick, timeBase);
        const std::int64_t end = ToGrid(tick + std::max(0, event.duration), timeBase);
        const bool first = byStart.find(start) == byStart.end();
        Onset& onset = byStart.try_emplace(start, Onset{start, start, {}}).first->second;
        onset.soundEnd = std::max(onset.soundEnd, end);
        onset.sounding = std::max(onset.sounding, Scaled(std::max(0, event.duration), timeBase));
        onset.velocity = std::max(onset.velocity, event.velocity);
        if (first) onset.plucked = program == kPizzicatoProgram;
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

// Where a note that falls silent a beat or more before the next note of its voice is written
// to end: where it stops, rounded up to an eighth (a sixteenth for a note that sounds less than
// a beat). A short note is written as the value its start makes plain: one on a beat that
// sounds more than half of it as the beat, since a dotted eighth and a sixteenth rest read as a
// fault where a short quarter is played; one on an eighth that sounds less than an eighth as
// the eighth, as the detached notes before it are written.
std::int64_t EndBeforeRest(const Onset& onset, std::int64_t from, std::int64_t next) {
    constexpr std::int64_t kEighth = kTicksPerQuarter / 2;
    const std::int64_t sounding = onset.soundEnd - onset.start;
    const std::int64_t unit = sounding >= kBeat ? kEighth : kSixteenth;
    std::int64_t written = std::max<std::int64_t>(kSixteenth, RoundUp(sounding, unit));
    const std::int64_t position = onset.start - from;
    if (position % kBeat == 0 && sounding > kEighth && sounding < kBeat) written = kBeat;
    if (position % kEighth == 0 && sounding < kEighth) written = kEighth;
    return std::min(next, onset.start + written);
}

// Where a detached note (one that sounds at most 70 % of the way to the next note of its
// voice) is written to end: up to the next note, except that when that value would be tied on
// (across a beat or the bar line) and the sound is over within the first of its values, it
// ends there and a rest follows: a tie would hold what the player lets go.
std::int64_t DetachedEnd(const Onset& onset, std::int64_t from, std::int64_t next, std::int32_t barTicks) {
    const std::int64_t inBar = (onset.start - from) % barTicks;
    const std::int64_t barEnd = onset.start - inBar + barTicks;
    const std::int64_t length = std::min(next, barEnd) - onset.start;
    // Within the bar: fewer ticks than a bar, which has 32 bits.
    const std::int32_t firstValue =
        DurationSplitter::Sound(static_cast<std::int32_t>(inBar), static_cast<std::int32_t>(length)).front();
    if (firstValue < next - onset.start && onset.soundEnd - onset.start <= firstValue) return onset.start + firstValue;
    return next;
}

// Whether a note sounds at most 70 % of `value`: detached, as a staccato dot asks. A light
// articulation lets a note sound 50-70 % of its value; a note let go at 75-80 % of it, as a
// minuet's or a phrase's breath, is played as written.
bool Detached(std::int64_t sounding, std::int64_t value) { return sounding * 10 <= value * 7; }

// The written sounds of the onsets in [from, to): each up to the next onset, or, when it falls
// silent a beat or more before that, up to where it stops (EndBeforeRest). A note let go well
// before the next (Detached) and silent less than a beat is written as its value (DetachedEnd)
// with a staccato dot if that is a beat or less; a plucked part takes no dots, its first note reads "pizz." and
// the first note after it "arco". In order, and none overlaps the next. `plucked` is whether
// the voice was plucked where the sounds start, and is left as it is where they end.
std::vector<Sound> SoundsOf(const std::vector<Onset>& onsets, std::int64_t from, std::int64_t to,
                            std::int32_t barTicks, bool& plucked) {
    std::vector<Sound> sounds;
    const std::span<const Onset> within = OnsetsWithin(onsets, from, to);
    for (std::size_t i = 0; i < within.size(); ++i) {
        const Onset& onset = within[i];
        const std::int64_t next = i + 1 < within.size() ? within[i + 1].start : to;
        std::int64_t end = next;
        if (next - onset.soundEnd >= kBeat) {
            end = EndBeforeRest(onset, from, next);
        } else if (Detached(onset.sounding, next - onset.start)) {
            end = DetachedEnd(onset, from, next, barTicks);
        }
        Sound sound{onset.start, end, onset.keys, false, {}};
        // A dot on a value longer than a beat asks for a shortness no player gives a half note.
        sound.staccato = !onset.plucked && end - onset.start <= kBeat && Detached(onset.sounding, end - onset.start);
        if (onset.plucked != plucked) sound.words = onset.plucked ? "pizz." : "arco";
        plucked = onset.plucked;
        sounds.push_back(std::move(sound));
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
                 const Sound& sound, bool fromPrevious, bool toNext) {
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
        if (!note.tiedFromPrevious) {
            note.staccato = sound.staccato;
            note.words = sound.words;
        }
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
        AppendSound(bar, inBar(from), inBar(to), pitches, sound, sound.start < barStart, sound.end > barEnd);
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

// The value a list of settings (in order of their ticks) has at `tick`: the last set by then,
// or `before`.
std::int32_t InEffect(const std::vector<std::pair<std::int64_t, std::int32_t>>& settings, std::int64_t tick,
                      std::int32_t before) {
    const auto after = std::upper_bound(settings.begin(), settings.end(), tick,
                                        [](std::int64_t t, const auto& setting) { return t < setting.first; });
    return after == settings.begin() ? before : std::prev(after)->second;
}

// The course of a setting through every written section: its value at the section's start,
// then wherever it is set within the section.
std::vector<SectionCourse> CourseOf(const std::vector<std::pair<std::int64_t, std::int32_t>>& settings,
                                    std::int32_t before, const ScoreLayout& layout,
                                    const std::function<double(std::size_t, std::int32_t)>& valueIn) {
    std::vector<SectionCourse> course;
    for (std::size_t s = 0; s < layout.sections.size(); ++s) {
        const SectionPlan& plan = layout.sections[s];
        SectionCourse section;
        section.barTicks = plan.beatsPerBar * kTicksPerQuarter;
        section.firstTick = plan.firstTick;
        section.endTick = plan.firstTick + plan.barCount * section.barTicks;
        section.points.push_back({plan.firstTick, valueIn(s, InEffect(settings, plan.firstTick, before))});
        const auto byTick = [](const auto& setting, std::int64_t t) { return setting.first < t; };
        auto setting = std::lower_bound(settings.begin(), settings.end(), section.firstTick + 1, byTick);
        for (; setting != settings.end() && setting->first < section.endTick; ++setting) {
            section.points.push_back({setting->first, valueIn(s, setting->second)});
        }
        course.push_back(std::move(section));
    }
    return course;
}

// The typical velocity of a voice's notes in each section: the lower middle one, so that the
// accents of the downbeats do not count; a section without notes keeps the one before.
std::vector<std::int32_t> SectionVelocities(const std::vector<Onset>& onsets, const ScoreLayout& layout) {
    std::vector<std::int32_t> velocities;
    std::int32_t typical = 100;
    for (const SectionPlan& plan : layout.sections) {
        const std::span<const Onset> within =
            OnsetsWithin(onsets, plan.firstTick, plan.firstTick + plan.barCount * plan.beatsPerBar * kTicksPerQuarter);
        std::vector<std::int32_t> played;
        for (const Onset& onset : within) played.push_back(onset.velocity);
        if (!played.empty()) {
            std::nth_element(played.begin(), played.begin() + (played.size() - 1) / 2, played.end());
            typical = played[(played.size() - 1) / 2];
        }
        velocities.push_back(typical);
    }
    return velocities;
}

// The dynamics of the melody (the first voice) and the tempo words of the piece.
std::vector<PlacedMark> PieceMarks(const MobileData& melody, const ScoreLayout& layout, std::int32_t melodyList,
                                   const std::vector<Onset>& melodyOnsets) {
    std::vector<PlacedMark> marks;
    if (melodyList >= 0) {
        const std::vector<std::int32_t> velocities = SectionVelocities(melodyOnsets, layout);
        const auto level = [&velocities](std::size_t section, std::int32_t volume) {
            return DynamicMarks::Level(volume, velocities[section]);
        };
        const auto volumes = CommandsOf(melody.Channel(melodyList), kVolume, melody.timeBase);
        marks = DynamicMarks::Find(CourseOf(volumes, kStartVolume, layout, level));
    }
    // Tempo commands belong to no channel, and every list of their track has a copy.
    std::map<std::int64_t, std::int32_t> tempi;
    for (std::int32_t list = 0; list < melody.channelCount; ++list) {
        for (const auto& [tick, value] : CommandsOf(melody.Channel(list), kTempo, melody.timeBase)) tempi[tick] = value;
    }
    const std::vector<std::pair<std::int64_t, std::int32_t>> tempo(tempi.begin(), tempi.end());
    const auto beat = [](std::size_t, std::int32_t microseconds) { return static_cast<double>(microseconds); };
    for (PlacedMark& mark : TempoMarks::Find(CourseOf(tempo, melody.tempo, layout, beat))) marks.push_back(std::move(mark));
    return marks;
}

// Gives every mark its bar; a mark outside the written sections is not written.
void PlaceMarks(const std::vector<PlacedMark>& marks, const ScoreLayout& layout, Score& score) {
    for (const PlacedMark& mark : marks) {
        for (std::size_t s = 0; s < layout.sections.size(); ++s) {
            const SectionPlan& plan = layout.sections[s];
            const std::int64_t barTicks = plan.beatsPerBar * kTicksPerQuarter;
            if (mark.tick < plan.firstTick || mark.tick >= plan.firstTick + plan.barCount * barTicks) continue;
            Bar& bar = score.sections[s].bars[static_cast<std::size_t>((mark.tick - plan.firstTick) / barTicks)];
            bar.marks.push_back({static_cast<std::int32_t>((mark.tick - plan.firstTick) % barTicks), mark.kind, mark.text});
            break;
        }
    }
    for (Section& section : score.sections) {
        for (Bar& bar : section.bars) {
            std::stable_sort(bar.marks.begin(), bar.marks.end(),
                             [](const Mark& a, const Mark& b) { return a.start < b.start; });
        }
    }
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

    std::vector<bool> plucked(voiceOnsets.size(), false);
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
        for (std::size_t v = 0; v < voiceOnsets.size(); ++v) {
            bool wasPlucked = plucked[v];
            voiceSounds.push_back(SoundsOf(voiceOnsets[v], plan.firstTick, sectionEnd, barTicks, wasPlucked));
            plucked[v] = wasPlucked;
        }
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
    PlaceMarks(PieceMarks(melody, layout, score.channels.front(), voiceOnsets.front()), layout, score);
    return score;
}

}  // namespace zamrit::score
