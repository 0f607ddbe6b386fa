#pragma once

#include <CLI/CLI.hpp>

#include "app/PieceForm.h"

namespace zamrit {

// --form dance|minuet, shared by every command that throws.
CLI::Option* AddFormOption(CLI::App& command, PieceForm& form);

}  // namespace zamrit
