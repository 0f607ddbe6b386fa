#include "app/Composition.h"

#include "app/MeasureFolder.h"
#include "app/MeasureOrder.h"
#include "melody/ErrorReporting.h"
#include "mfi/MFiData.h"
#include "platform/ThreadReportWatch.h"

namespace zamrit {
namespace {

// The voice type the game asks for; the file's own voice type replaces it.
constexpr std::int32_t kMeasureVoiceType = 4;

BarEnds ComposeForm(PieceForm form, const std::array<std::int32_t, DiceState::kBars>& firstDie,
                 const std::array<std::int32_t, DiceState::kBars>& secondDie, MFiData& target,
                 const std::filesystem::path& folder) {
    DiceState dice;
    dice.firstDie = firstDie;
    dice.secondDie = secondDie;
    return ComposePiece(form, dice, target, folder);
}

}  // namespace

std::string ReportsCameFromLine(const std::string& path) {
    return "The reports above came from the file " + path + ".";
}

std::unique_ptr<MFiData> LoadMelodyFile(const std::string& path, std::int32_t voiceType) {
    const ThreadReportWatch watch;
    auto melody = std::make_unique<MFiData>(path, voiceType);
    if (watch.Count() > 0 && watch.First() != path) ShowErrorMessage(ReportsCameFromLine(path));
    return melody;
}

BarEnds AppendMeasures(std::span<const std::string> fileNames, MFiData& target) {
    BarEnds ends;
    MFiTrack* piece = target.GetTrack(0);
    if (piece == nullptr) return ends;
    std::int64_t end = 0;
    for (const auto& event : piece->trackData->Events()) end += event.delta;
    for (const std::string& name : fileNames) {
        const std::unique_ptr<MFiData> measure = LoadMelodyFile(name, kMeasureVoiceType);
        if (const MFiTrack* bar = measure->GetTrack(0)) {
            piece->Append(*bar);
            for (const auto& event : bar->trackData->Events()) end += event.delta;
        }
        ends.push_back(end);
    }
    return ends;
}

BarEnds ComposePiece(PieceForm form, const DiceState& dice, MFiData& target,
                     const std::filesystem::path& folder) {
    std::vector<std::string> paths = MeasureOrder(form, dice);
    for (std::string& name : paths) name = MeasureFolder::PathOf(folder, name);
    return AppendMeasures(paths, target);
}

BarEnds ComposeMinuetTrio(const std::array<std::int32_t, DiceState::kBars>& firstDie,
                       const std::array<std::int32_t, DiceState::kBars>& secondDie,
                       MFiData& target, const std::filesystem::path& folder) {
    return ComposeForm(PieceForm::MinuetTrio, firstDie, secondDie, target, folder);
}

BarEnds ComposeDance(const std::array<std::int32_t, DiceState::kBars>& firstDie,
                  const std::array<std::int32_t, DiceState::kBars>& secondDie, MFiData& target,
                  const std::filesystem::path& folder) {
    return ComposeForm(PieceForm::Dance, firstDie, secondDie, target, folder);
}

}  // namespace zamrit
