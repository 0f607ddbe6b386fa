#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zamrit {

// The form of piece, as the index of the form choice: 0 is Dance, anything else Minuet / Trio.
enum class PieceForm : std::int32_t { Dance = 0, MinuetTrio = 1 };

constexpr PieceForm PieceFormFromIndex(std::int32_t index) {
    return index == 0 ? PieceForm::Dance : PieceForm::MinuetTrio;
}

// The names the command-line tool uses: "dance" and "minuet".
constexpr std::string_view PieceFormName(PieceForm form) {
    return form == PieceForm::Dance ? "dance" : "minuet";
}

constexpr std::optional<PieceForm> PieceFormFromName(std::string_view name) {
    if (name == "dance") return PieceForm::Dance;
    if (name == "minuet") return PieceForm::MinuetTrio;
    return std::nullopt;
}

}  // namespace zamrit
