#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/PieceForm.h"
#include "app/RuntimeRandom.h"

namespace zamrit {

// The dice of the 32 bars (index = bar number − 1) and how they are thrown for each form.
class DiceState {
public:
    static constexpr std::int32_t kBars = 32;

    // The sum label of every bar: a number, or nothing for a bar the form does not use ("-").
    using Labels = std::array<std::optional<std::int32_t>, kBars>;

    // The control ids of the 32 sum labels, in bar order.
    static constexpr std::array<std::int32_t, kBars> kSumLabelIds{
        1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015,  // bars 1-8
        1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033,  // bars 9-16
        1042, 1043, 1044, 1045, 1046, 1047, 1048, 1049,  // bars 17-24
        1059, 1060, 1061, 1062, 1063, 1064, 1065, 1066,  // bars 25-32
    };

    // Minuet / Trio: two dice for bars 1-16, one for bars 17-32 (48 draws). Dance: two dice
    // for bars 1-8, copied to bars 9-16, two for bars 17-24 (32 draws); bars 25-32 keep their
    // dice and show "-". The first die of a bar is drawn before its second.
    Labels Throw(PieceForm form, RuntimeRandom& random);

    std::int32_t Sum(std::int32_t bar) const { return firstDie[bar - 1] + secondDie[bar - 1]; }

    static std::string LabelText(const std::optional<std::int32_t>& label);

    std::array<std::int32_t, kBars> firstDie{};
    std::array<std::int32_t, kBars> secondDie{};

private:
    Labels ThrowMinuetTrio(RuntimeRandom& random);
    Labels ThrowDance(RuntimeRandom& random);
    void ThrowTwo(std::int32_t bar, RuntimeRandom& random);
};

}  // namespace zamrit
