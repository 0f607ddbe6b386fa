#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>

#include "app/PieceForm.h"

namespace zamrit {

// --form dance|minuet, shared by every command that throws.
CLI::Option* AddFormOption(CLI::App& command, PieceForm& form);

// --seed N, shared by every command that throws. An empty N is a usage error, not seed 0.
CLI::Option* AddSeedOption(CLI::App& command, std::uint32_t& seed, const std::string& description);

}  // namespace zamrit
