#include "app/Composition.h"

#include "app/MeasureOrder.h"
#include "mfi/MFiData.h"

namespace zamrit {
namespace {

// The voice type the game asks for; the file's own voice type replaces it.
constexpr std::int32_t kMeasureVoiceType = 4;

void ComposeForm(PieceForm form, const std::array<std::int32_t, DiceState::kBars>& firstDie,
                 const std::array<std::int32_t, DiceState::kBars>& secondDie, MFiData& target) {
    DiceState dice;
    dice.firstDie = firstDie;
    dice.secondDie = secondDie;
    ComposePiece(form, dice, target);
}

}  // namespace

void AppendMeasures(std::span<const std::string> fileNames, MFiData& target) {
    MFiTrack* piece = target.GetTrack(0);
    if (piece == nullptr) return;
    for (const std::string& name : fileNames) {
        const MFiData measure(name, kMeasureVoiceType);
        if (const MFiTrack* bar = measure.GetTrack(0)) piece->Append(*bar);
    }
}

void ComposePiece(PieceForm form, const DiceState& dice, MFiData& target) {
    const std::vector<std::string> names = MeasureOrder(form, dice);
    AppendMeasures(names, target);
}

void ComposeMinuetTrio(const std::array<std::int32_t, DiceState::kBars>& firstDie,
                       const std::array<std::int32_t, DiceState::kBars>& secondDie,
                       MFiData& target) {
    ComposeForm(PieceForm::MinuetTrio, firstDie, secondDie, target);
}

void ComposeDance(const std::array<std::int32_t, DiceState::kBars>& firstDie,
                  const std::array<std::int32_t, DiceState::kBars>& secondDie, MFiData& target) {
    ComposeForm(PieceForm::Dance, firstDie, secondDie, target);
}

}  // namespace zamrit
