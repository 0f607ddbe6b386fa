#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "app/Composition.h"
#include "app/DiceState.h"
#include "app/PieceForm.h"
#include "melody/MobileData.h"

namespace zamrit {

// A piece made ready to be played, as the game and the tool both make it: the playable
// melody, where each of its measures ends and the tick where the last one ends.
//
// A composed piece is track 0 of each measure file appended, in order, to an empty melody of
// voice type 4; its end tick is the melody's measure length times its measure count.
struct ThrownPiece {
    // Every melody buffer and list of the game has this capacity.
    static constexpr std::int32_t kCapacity = 0x60000;
    // The voice type a composed piece starts from; each measure file is read in its own.
    static constexpr std::int32_t kVoiceType = 4;
    // The sequence's ticks to the quarter note.
    static constexpr std::int64_t kSequenceDivision = 96;

    std::unique_ptr<MobileData> melody;
    // Where each measure file ends, in the melody's own time base; empty for a single file.
    BarEnds barEnds;
    std::int32_t endTick = 0;

    // The thrown piece of the form, from the measure files of `folder`.
    static ThrownPiece FromThrow(PieceForm form, const DiceState& dice,
                                 const std::filesystem::path& folder = ".");
    // These measure files, in order.
    static ThrownPiece FromMeasures(std::span<const std::string> fileNames);
    // The melody of one MFi file, with all its tracks.
    static ThrownPiece FromFile(const std::string& path);

    // The end of the melody's last measure, kept within the tick range.
    static std::int32_t EndTickOf(const MobileData& melody);
    // The bar ends counted in the sequence's 96 ticks to the quarter note.
    BarEnds BarEndsInSequenceTicks() const;
};

}  // namespace zamrit
