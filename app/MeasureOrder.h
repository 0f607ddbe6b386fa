#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/DiceState.h"
#include "app/PieceForm.h"

namespace zamrit {

// The measure file of a bar: a copy of a 12-character template ("MN_00_00.dat") with the bar
// sum as two digits at positions 3-4 and the bar digits at positions 6-7.
std::string MeasureFileName(std::string_view fileTemplate, std::int32_t sum,
                            std::int32_t barDigits);

// The measure files of a piece in playing order. Minuet / Trio: MN bars 1-16, TR bars 17-32
// (32 files). Dance: DA bars 1-8, DA again for bars 9-16 with their own sums, DB for bars
// 17-24 (24 files).
std::vector<std::string> MeasureOrder(PieceForm form, const DiceState& dice);

// Every measure file the game can ask for: 448 names.
std::vector<std::string> AllMeasureFileNames();

}  // namespace zamrit
