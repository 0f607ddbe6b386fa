#pragma once

#include <cstdint>
#include <vector>

namespace zamrit::measures {

// One note of a voice as the ear hears it in a line: from its onset to the next onset of the
// same voice, or to the end of its sound when a rest of a beat or more follows.
struct VoiceNote {
    std::int32_t start;
    std::int32_t end;
    std::int32_t soundEnd;  // where the note stops sounding
    std::int32_t key;       // MIDI key
};
using VoiceLine = std::vector<VoiceNote>;

// Bars of music in voices: voice 0 is the melody, voice 1 the bass, the rest inner voices.
struct Passage {
    std::vector<VoiceLine> voices;
    std::int32_t beatTicks = 96;
    std::int32_t barTicks = 288;
    std::int32_t lengthTicks = 288;
    // Pitch classes of the keys the passage cadences in; V-I onto any other chord (I-IV,
    // say) is no cadence. Empty: every V-I counts.
    std::vector<std::int32_t> tonics;
};

enum class FaultKind {
    Consecutive,         // two voices move from a fifth (or octave) to a fifth (or octave)
    DirectIntoDownbeat,  // the outer voices move the same way into a fifth or octave on a downbeat
    ForbiddenLeap,       // a tritone, a seventh or more than an octave in one voice
    SixthNotTurning,     // a leap of a sixth not followed by a step back
    SeventhNotFalling,   // the seventh of a dominant seventh chord not followed by a step down
    LeadingToneNotRising // an outer voice's leading tone not rising to the tonic at V-I
};

struct Fault {
    FaultKind kind;
    std::int32_t tick;  // where the fault is heard: the onset that completes it
    std::int32_t voice;
    std::int32_t otherVoice;  // -1 for faults of one voice

    bool operator==(const Fault&) const = default;
};

// Rules of classical part writing, checked on notes alone: harmony is read from what sounds
// over the bass, so the same check serves a plan before it has figures and the files after.
class Counterpoint {
public:
    static std::vector<Fault> Check(const Passage& passage);

    // A note as a file stores it: onset, sounding length and key.
    struct Onset {
        std::int32_t start;
        std::int32_t gate;
        std::int32_t key;
    };
    // One bar from the onsets of each voice (in time order).
    static Passage Bar(const std::vector<std::vector<Onset>>& voices, std::int32_t beatTicks,
                       std::int32_t barTicks, const std::vector<std::int32_t>& tonics = {});

    // The passage of two passages heard one after the other.
    static Passage Join(const Passage& first, const Passage& second);
};

}  // namespace zamrit::measures
