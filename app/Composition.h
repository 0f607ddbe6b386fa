#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
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

// Joins measure files into one melody: track 0 of each file, in order, appended to track 0
// of the target. A file that can't be read (reported by the loading) or has no track adds
// nothing, and the next measure follows the one before it. Returns where each bar ends.
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
