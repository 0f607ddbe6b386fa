#include "tools/measures/Counterpoint.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace zamrit::measures {
namespace {

constexpr std::size_t kMelody = 0;
constexpr std::size_t kBass = 1;

std::int32_t PitchClass(std::int32_t semitones) { return ((semitones % 12) + 12) % 12; }

bool IsPerfect(std::int32_t interval) {
    const std::int32_t pc = PitchClass(std::abs(interval));
    return pc == 0 || pc == 7;
}

int Direction(std::int32_t from, std::int32_t to) { return (to > from) - (to < from); }

// A note is heard in line with the next note of its voice unless a rest of a beat or more
// lies between them.
void Link(VoiceLine& line, std::int32_t lengthTicks, std::int32_t beatTicks) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const std::int32_t next = i + 1 < line.size() ? line[i + 1].start : lengthTicks;
        line[i].end = next - line[i].soundEnd < beatTicks ? next : std::min(line[i].soundEnd, next);
    }
}

const VoiceNote* SoundingAt(const VoiceLine& line, std::int32_t tick) {
    for (const VoiceNote& note : line) {
        if (note.start <= tick && tick < note.end) return &note;
    }
    return nullptr;
}

// The note after `index` when it follows without a rest.
const VoiceNote* NextInLine(const VoiceLine& line, std::size_t index) {
    if (index + 1 >= line.size() || line[index].end != line[index + 1].start) return nullptr;
    return &line[index + 1];
}

std::size_t IndexOf(const VoiceLine& line, const VoiceNote* note) {
    return static_cast<std::size_t>(note - line.data());
}

// The bass note that carries the harmony at `tick`: the last one begun, even when it was
// plucked short, since the harmony lasts until the bass moves.
const VoiceNote* HarmonicBassAt(const VoiceLine& bass, std::int32_t tick) {
    const VoiceNote* found = nullptr;
    for (const VoiceNote& note : bass) {
        if (note.start <= tick) found = &note;
    }
    return found;
}

// Where the harmony over a bass note ends: at the next bass note, or at the passage's end.
std::int32_t HarmonicEnd(const Passage& passage, const VoiceNote& bass) {
    const VoiceLine& line = passage.voices[kBass];
    const std::size_t index = IndexOf(line, &bass);
    return index + 1 < line.size() ? line[index + 1].start : passage.lengthTicks;
}

// Whether a major third above the bass note sounds in any voice while its harmony lasts: with
// the bass as root, that makes the chord a major one (a dominant when a minor seventh joins).
bool MajorThirdOver(const Passage& passage, const VoiceNote& bass) {
    const std::int32_t end = HarmonicEnd(passage, bass);
    for (const VoiceLine& line : passage.voices) {
        for (const VoiceNote& note : line) {
            if (note.start < end && std::max(note.end, note.soundEnd) > bass.start &&
                PitchClass(note.key - bass.key) == 4) {
                return true;
            }
        }
    }
    return false;
}

// The note after `index` in its voice, after a rest if there is one.
const VoiceNote* NextNote(const VoiceLine& line, std::size_t index) {
    return index + 1 < line.size() ? &line[index + 1] : nullptr;
}

bool IsTonic(const Passage& passage, std::int32_t key) {
    return passage.tonics.empty() || std::find(passage.tonics.begin(), passage.tonics.end(),
                                               PitchClass(key)) != passage.tonics.end();
}

void CheckConsecutives(const Passage& passage, std::vector<Fault>& faults) {
    const auto& voices = passage.voices;
    for (std::size_t a = 0; a < voices.size(); ++a) {
        for (std::size_t b = a + 1; b < voices.size(); ++b) {
            std::set<std::int32_t> onsets;
            for (const VoiceNote& note : voices[a]) onsets.insert(note.start);
            for (const VoiceNote& note : voices[b]) onsets.insert(note.start);
            const VoiceNote* prevA = nullptr;
            const VoiceNote* prevB = nullptr;
            for (const std::int32_t tick : onsets) {
                const VoiceNote* nowA = SoundingAt(voices[a], tick);
                const VoiceNote* nowB = SoundingAt(voices[b], tick);
                if (prevA && prevB && nowA && nowB && prevA->end == nowA->start &&
                    prevB->end == nowB->start && prevA->key != nowA->key && prevB->key != nowB->key &&
                    IsPerfect(prevA->key - prevB->key) &&
                    PitchClass(std::abs(prevA->key - prevB->key)) ==
                        PitchClass(std::abs(nowA->key - nowB->key))) {
                    faults.push_back({FaultKind::Consecutive, tick, static_cast<std::int32_t>(a),
                                      static_cast<std::int32_t>(b)});
                }
                prevA = nowA;
                prevB = nowB;
            }
        }
    }
}

void CheckDirectIntoDownbeats(const Passage& passage, std::vector<Fault>& faults) {
    if (passage.voices.size() <= kBass) return;
    const VoiceLine& melody = passage.voices[kMelody];
    const VoiceLine& bass = passage.voices[kBass];
    for (std::int32_t downbeat = passage.barTicks; downbeat < passage.lengthTicks;
         downbeat += passage.barTicks) {
        const VoiceNote* melodyBefore = SoundingAt(melody, downbeat - 1);
        const VoiceNote* bassBefore = SoundingAt(bass, downbeat - 1);
        const VoiceNote* melodyOn = SoundingAt(melody, downbeat);
        const VoiceNote* bassOn = SoundingAt(bass, downbeat);
        if (!melodyBefore || !bassBefore || !melodyOn || !bassOn) continue;
        if (melodyOn->start != downbeat || bassOn->start != downbeat) continue;
        const int melodyWay = Direction(melodyBefore->key, melodyOn->key);
        if (melodyWay != 0 && melodyWay == Direction(bassBefore->key, bassOn->key) &&
            IsPerfect(melodyOn->key - bassOn->key)) {
            faults.push_back({FaultKind::DirectIntoDownbeat, downbeat, 0, 1});
        }
    }
}

void CheckLeaps(const Passage& passage, std::vector<Fault>& faults) {
    for (std::size_t v = 0; v < passage.voices.size(); ++v) {
        const VoiceLine& line = passage.voices[v];
        for (std::size_t i = 0; i < line.size(); ++i) {
            const VoiceNote* next = NextInLine(line, i);
            if (!next) continue;
            const std::int32_t leap = std::abs(next->key - line[i].key);
            const auto voice = static_cast<std::int32_t>(v);
            if (leap == 6 || leap == 10 || leap == 11 || leap > 12) {
                faults.push_back({FaultKind::ForbiddenLeap, next->start, voice, -1});
            } else if (leap == 8 || leap == 9) {
                const VoiceNote* after = NextInLine(line, i + 1);
                if (!after) continue;  // the line goes on outside the passage
                const std::int32_t back = after->key - next->key;
                if (std::abs(back) > 2 || back == 0 ||
                    Direction(line[i].key, next->key) == Direction(next->key, after->key)) {
                    faults.push_back({FaultKind::SixthNotTurning, after->start, voice, -1});
                }
            }
        }
    }
}

void CheckSevenths(const Passage& passage, std::vector<Fault>& faults) {
    if (passage.voices.size() <= kBass) return;
    const VoiceLine& bass = passage.voices[kBass];
    for (std::size_t v = 0; v < passage.voices.size(); ++v) {
        if (v == kBass) continue;
        const VoiceLine& line = passage.voices[v];
        for (std::size_t i = 0; i < line.size(); ++i) {
            const VoiceNote* root = HarmonicBassAt(bass, line[i].start);
            if (!root || PitchClass(line[i].key - root->key) != 10 || !MajorThirdOver(passage, *root)) {
                continue;
            }
            // Held or repeated, the seventh still has to fall when it moves.
            std::size_t j = i;
            const VoiceNote* next = NextNote(line, j);
            while (next && next->key == line[i].key) {
                j = IndexOf(line, next);
                next = NextNote(line, j);
            }
            if (!next) continue;
            const std::int32_t fall = line[i].key - next->key;
            if (fall != 1 && fall != 2) {
                faults.push_back({FaultKind::SeventhNotFalling, next->start, static_cast<std::int32_t>(v), -1});
            }
        }
    }
}

void CheckLeadingTones(const Passage& passage, std::vector<Fault>& faults) {
    if (passage.voices.size() <= kBass) return;
    const VoiceLine& bass = passage.voices[kBass];
    const VoiceLine& melody = passage.voices[kMelody];
    for (std::size_t i = 0; i + 1 < bass.size(); ++i) {
        const VoiceNote& dominant = bass[i];
        const VoiceNote& tonic = bass[i + 1];
        if (PitchClass(tonic.key - dominant.key) != 5 || !MajorThirdOver(passage, dominant) ||
            !MajorThirdOver(passage, tonic) || !IsTonic(passage, tonic.key)) {
            continue;
        }
        // The melody's last note before the tonic arrives, even if a rest follows it.
        const VoiceNote* leading = nullptr;
        for (const VoiceNote& note : melody) {
            if (note.start < tonic.start) leading = &note;
        }
        if (!leading || PitchClass(leading->key - dominant.key) != 4) continue;
        const VoiceNote* next = NextNote(melody, IndexOf(melody, leading));
        if (next && next->key != leading->key + 1) {
            faults.push_back({FaultKind::LeadingToneNotRising, next->start, 0, -1});
        }
    }
}

}  // namespace

Passage Counterpoint::Bar(const std::vector<std::vector<Onset>>& voices, std::int32_t beatTicks,
                          std::int32_t barTicks, const std::vector<std::int32_t>& tonics) {
    Passage passage;
    passage.tonics = tonics;
    passage.beatTicks = beatTicks;
    passage.barTicks = barTicks;
    passage.lengthTicks = barTicks;
    for (const std::vector<Onset>& onsets : voices) {
        VoiceLine line;
        for (const Onset& onset : onsets) {
            line.push_back({onset.start, onset.start, onset.start + onset.gate, onset.key});
        }
        Link(line, barTicks, beatTicks);
        passage.voices.push_back(std::move(line));
    }
    return passage;
}

Passage Counterpoint::Join(const Passage& first, const Passage& second) {
    Passage joined = first;
    for (const std::int32_t tonic : second.tonics) {
        if (std::find(joined.tonics.begin(), joined.tonics.end(), tonic) == joined.tonics.end()) {
            joined.tonics.push_back(tonic);
        }
    }
    joined.lengthTicks = first.lengthTicks + second.lengthTicks;
    joined.voices.resize(std::max(first.voices.size(), second.voices.size()));
    for (std::size_t v = 0; v < second.voices.size(); ++v) {
        for (VoiceNote note : second.voices[v]) {
            note.start += first.lengthTicks;
            note.end += first.lengthTicks;
            note.soundEnd += first.lengthTicks;
            joined.voices[v].push_back(note);
        }
    }
    for (VoiceLine& line : joined.voices) Link(line, joined.lengthTicks, joined.beatTicks);
    return joined;
}

std::vector<Fault> Counterpoint::Check(const Passage& passage) {
    std::vector<Fault> faults;
    CheckConsecutives(passage, faults);
    CheckDirectIntoDownbeats(passage, faults);
    CheckLeaps(passage, faults);
    CheckSevenths(passage, faults);
    CheckLeadingTones(passage, faults);
    return faults;
}

}  // namespace zamrit::measures
