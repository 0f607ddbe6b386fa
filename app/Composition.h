#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "app/DiceState.h"
#include "app/PieceForm.h"

namespace zamrit {

class MFiData;

// Joins measure files into one melody: track 0 of each file, in order, appended to track 0
// of the target. A file that can't be read (reported by the loading) or has no track adds
// nothing, and the next measure follows the one before it.
void AppendMeasures(std::span<const std::string> fileNames, MFiData& target);

// The thrown piece of the form: its measure files in playing order, from `folder` (the
// current directory by default), appended to track 0 of the target.
void ComposePiece(PieceForm form, const DiceState& dice, MFiData& target,
                  const std::filesystem::path& folder = ".");

// The two forms as the Play button composes them.
void ComposeMinuetTrio(const std::array<std::int32_t, DiceState::kBars>& firstDie,
                       const std::array<std::int32_t, DiceState::kBars>& secondDie,
                       MFiData& target, const std::filesystem::path& folder = ".");
void ComposeDance(const std::array<std::int32_t, DiceState::kBars>& firstDie,
                  const std::array<std::int32_t, DiceState::kBars>& secondDie, MFiData& target,
                  const std::filesystem::path& folder = ".");

}  // namespace zamrit
