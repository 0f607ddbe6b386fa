#include "app/Composition.h"

#include "app/MeasureFolder.h"
#include "app/MeasureOrder.h"
#include "mfi/MFiData.h"

namespace zamrit {
namespace {

// The voice type the game asks for; the file's own voice type replaces it.
constexpr std::int32_t kMeasureVoiceType = 4;

void ComposeForm(PieceForm form, const std::array<std::int32_t, DiceState::kBars>& firstDie,
                 const std::array<std::int32_t, DiceState::kBars>& secondDie, MFiData& target,
                 const std::filesystem::path& folder) {
    DiceState dice;
    dice.firstDie = firstDie;
    dice.secondDie = secondDie;
    ComposePiece(form, dice, target, folder);
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

void ComposePiece(PieceForm form, const DiceState& dice, MFiData& target,
                  const std::filesystem::path& folder) {
    std::vector<std::string> paths = MeasureOrder(form, dice);
    for (std::string& name : paths) name = MeasureFolder::PathOf(folder, name);
    AppendMeasures(paths, target);
}

void ComposeMinuetTrio(const std::array<std::int32_t, DiceState::kBars>& firstDie,
                       const std::array<std::int32_t, DiceState::kBars>& secondDie,
                       MFiData& target, const std::filesystem::path& folder) {
    ComposeForm(PieceForm::MinuetTrio, firstDie, secondDie, target, folder);
}

void ComposeDance(const std::array<std::int32_t, DiceState::kBars>& firstDie,
                  const std::array<std::int32_t, DiceState::kBars>& secondDie, MFiData& target,
                  const std::filesystem::path& folder) {
    ComposeForm(PieceForm::Dance, firstDie, secondDie, target, folder);
}

}  // namespace zamrit
