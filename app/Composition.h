#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/DiceState.h"
#include "app/PieceForm.h"

namespace zamrit {

class MFiData;

// Where each bar of a composed piece ends: the tick of the piece's track 0 after its last
// event, one entry per measure file in playing order.
using BarEnds = std::vector<std::int64_t>;

// Loads a measure or melody file. When loading it raised reports that do not already name it
// (a file that can't be opened or is empty shows its name first), one more line after them
// says which file they came from: the library's own lines say only what was wrong.
std::unique_ptr<MFiData> LoadMelodyFile(const std::string& path, std::int32_t voiceType);

// That line, for the file `path`.
std::string ReportsCameFromLine(const std::string& path);

// Joins measure files into one melody: track 0 of each file, in order, appended to track 0
// of the target. A file that can't be read (reported by the loading, with the file's name) or
// has no track adds nothing, and the next measure follows the one before it. Returns where each bar ends.
BarEnds AppendMeasures(std::span<const std::string> fileNames, MFiData& target);

// The thrown piece of the form: its measure files in playing order, from `folder` (the
// current directory by default), appended to track 0 of the target.
BarEnds ComposePiece(PieceForm form, const DiceState& dice, MFiData& target,
                     const std::filesystem::path& folder = ".");

// The two forms as the Play button composes them.
BarEnds ComposeMinuetTrio(const std::array<std::int32_t, DiceState::kBars>& firstDie,
                          const std::array<std::int32_t, DiceState::kBars>& secondDie,
                          MFiData& target, const std::filesystem::path& folder = ".");
BarEnds ComposeDance(const std::array<std::int32_t, DiceState::kBars>& firstDie,
                     const std::array<std::int32_t, DiceState::kBars>& secondDie, MFiData& target,
                     const std::filesystem::path& folder = ".");

}  // namespace zamrit
