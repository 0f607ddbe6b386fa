#pragma once

#include <string>

#include "score/Notation.h"

namespace zamrit::score {

// Writes a score as a MusicXML 4.0 partwise document: one part on two staves, 96 divisions
// to the quarter, the voices of a bar one after the other (each returned to the bar's start
// with a backup), explicit ties, beams and accidentals, the section labels as rehearsal
// marks and the repeat as repeat bar lines.
class MusicXmlWriter {
public:
    static std::string Write(const Score& score);
};

}  // namespace zamrit::score
