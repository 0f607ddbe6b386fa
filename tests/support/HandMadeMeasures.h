#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "melody/MobileData.h"
#include "melody/MobileTrackData.h"
#include "score/ScoreLayout.h"

namespace zamrit::testing {

// One note of a hand-made melody: where it starts and how long it sounds, at 96 ticks to the
// quarter note.
struct PlacedNote {
    std::int32_t tick;
    std::int32_t channel;
    std::int32_t key;
    std::int32_t gate;
};

// A melody of one track with these notes (in time order), measured at 96 ticks to the quarter.
inline std::unique_ptr<MobileData> MelodyOf(const std::vector<PlacedNote>& notes) {
    MobileTrackData track(0x1000);
    std::int32_t now = 0;
    for (const PlacedNote& note : notes) {
        track.AppendNote(note.tick - now, note.channel, note.key, note.gate, 64);
        now = note.tick;
    }
    auto melody = std::make_unique<MobileData>(0x1000);
    melody->AddTrack(track);
    melody->timeBase = 96;
    return melody;
}

// Three bars of 3/4 in C major, then a repeated bar of 2/4 in G major, numbered 17.
//   bar 1: melody E5 dotted quarter, F#5 eighth (an accidental), F#5 and G5 eighths beamed on
//          beat 3 (the sharp holds through the bar); an inner voice on the treble staff with a
//          rest on beat 1; the bass a detached quarter and two quarter rests;
//   bar 2: F5 and E5 beamed eighths, E5 tied over beat 2, D5 tied over the barline;
//   bar 3: the tied D5, C5 stopping early (a rest follows); the bass two beamed eighths;
//   bar 17: D5 dotted eighth, C5 sixteenth (natural in G), F#5 sixteenth (no sign), C#5
//           sixteenth (sharp), D5 eighth; a chord G2 + D3 in the bass.
inline std::vector<PlacedNote> HandMadeNotes() {
    return {
        {0, 0, 76, 130},   {0, 1, 48, 90},    {96, 2, 72, 80},   {144, 0, 78, 40},
        {192, 0, 78, 40},  {192, 2, 71, 80},  {240, 0, 79, 40},  {288, 0, 77, 40},
        {288, 1, 43, 280}, {336, 0, 76, 130}, {480, 0, 74, 180}, {576, 1, 48, 40},
        {624, 1, 52, 40},  {672, 0, 72, 90},
        // bar 17, from tick 864
        {864, 0, 74, 60},  {864, 1, 43, 90},  {864, 1, 50, 90},  {936, 0, 72, 20},
        {960, 0, 78, 20},  {984, 0, 73, 20},  {1008, 0, 74, 40},
    };
}

inline score::ScoreLayout HandMadeLayout() {
    return {"Hand-made", 120,
            {{"Minuet", 0, 3, false, 0, 3, 1}, {"First part", 1, 2, true, 864, 1, 17}}};
}

}  // namespace zamrit::testing
