#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "score/Notation.h"
#include "score/ScoreLayout.h"

namespace zamrit {
class MobileData;
}

namespace zamrit::score {

// Writes a played melody as a score for a grand staff.
//
// Every list of the melody with notes (drum lists aside) is one voice: the first on the
// treble staff, the second on the bass staff, every further one on the staff where it needs
// the fewest ledger lines (a voice silent in a section stays put); two voices on one staff get
// their own stems. Notes that start together in a voice form a chord. Starts are taken to the
// nearest 32nd.
//
// A note is written up to the next note of its voice; only when it falls silent for a beat or
// more before that does it end where it stops sounding (rounded up to an eighth, or a
// sixteenth under a beat; a short note on a beat that sounds more than half of it as the
// beat, one on an eighth that sounds less than an eighth as the eighth) and a rest follows.
// A note that sounds at most 70 % of the way to the next one is detached: it is written as
// its value, with a rest after it instead of a tie where its value would be tied on over a
// beat or the bar line, and takes a staccato dot if that value is a beat or less. A voice
// played on the pizzicato program (45) takes no dots; its first note reads "pizz.", the
// first after it "arco".
//
// The marks of the performance: the melody's (the first voice's) dynamics from its channel
// volume and typical velocity (DynamicMarks), and "rit." and "a tempo" from the tempo
// (TempoMarks), each at its bar and beat.
//
// A key outside the written range C0 to B9 (the octaves 0 to 9 both formats name) is left
// out, and one report says how many were.
class ScoreBuilder {
public:
    // The limits of a score, checked before anything is built, since the text grows with
    // every bar of every voice whatever the size of the melody: a melody of a few bytes can
    // hold one note a million bars in. The game's pieces have 32 or 24 bars, and a melody of
    // ten minutes at 240 beats a minute in 4/4 has 600; 4096 bars leave room for any real
    // melody, and keep the MusicXML of the longest score within tens of megabytes and its
    // engraving within what lilypond manages. All the voices together write at most 4096 bars
    // of 4/4 in four voices.
    static constexpr std::int64_t kMostBars = 4096;
    static constexpr std::int64_t kMostVoiceQuarters = kMostBars * 4 * 4;

    // Why a score of the melody in this layout is not built (past a limit), or nothing.
    static std::optional<std::string> Refusal(const MobileData& melody, const ScoreLayout& layout);

    // The score; a refused one has its title and no sections.
    static Score Build(const MobileData& melody, const ScoreLayout& layout);
};

}  // namespace zamrit::score
