#include "app/DiceState.h"

namespace zamrit {

DiceState::Labels DiceState::Throw(PieceForm form, RuntimeRandom& random) {
    return form == PieceForm::Dance ? ThrowDance(random) : ThrowMinuetTrio(random);
}

void DiceState::ThrowTwo(std::int32_t bar, RuntimeRandom& random) {
    firstDie[bar - 1] = random.ThrowDie();
    secondDie[bar - 1] = random.ThrowDie();
}

DiceState::Labels DiceState::ThrowMinuetTrio(RuntimeRandom& random) {
    Labels labels;
    for (std::int32_t bar = 1; bar <= 16; ++bar) {
        ThrowTwo(bar, random);
        labels[bar - 1] = Sum(bar);
    }
    for (std::int32_t bar = 17; bar <= 32; ++bar) {
        firstDie[bar - 1] = random.ThrowDie();
        secondDie[bar - 1] = 0;
        labels[bar - 1] = firstDie[bar - 1];
    }
    return labels;
}

DiceState::Labels DiceState::ThrowDance(RuntimeRandom& random) {
    Labels labels;
    for (std::int32_t bar = 1; bar <= 8; ++bar) {
        ThrowTwo(bar, random);
        labels[bar - 1] = Sum(bar);
    }
    for (std::int32_t bar = 9; bar <= 16; ++bar) {
        firstDie[bar - 1] = firstDie[bar - 9];
        secondDie[bar - 1] = secondDie[bar - 9];
        labels[bar - 1] = Sum(bar);
    }
    for (std::int32_t bar = 17; bar <= 24; ++bar) {
        ThrowTwo(bar, random);
        labels[bar - 1] = Sum(bar);
    }
    return labels;  // bars 25-32 stay unlabelled
}

std::string DiceState::LabelText(const std::optional<std::int32_t>& label) {
    return label ? std::to_string(*label) : std::string("-");
}

}  // namespace zamrit
