#include "app/ThrownPiece.h"

#include "melody/TickMath.h"
#include "mfi/MFiData.h"

namespace zamrit {
namespace {

ThrownPiece Transfer(const MFiData& melodyFile, BarEnds barEnds) {
    ThrownPiece piece;
    piece.melody = std::make_unique<MobileData>(ThrownPiece::kCapacity);
    melodyFile.ToMobileData(*piece.melody);
    piece.barEnds = std::move(barEnds);
    piece.endTick = ThrownPiece::EndTickOf(*piece.melody);
    return piece;
}

}  // namespace

ThrownPiece ThrownPiece::FromThrow(PieceForm form, const DiceState& dice, const std::filesystem::path& folder) {
    MFiData composed(kVoiceType, kCapacity);
    BarEnds ends = ComposePiece(form, dice, composed, folder);
    return Transfer(composed, std::move(ends));
}

ThrownPiece ThrownPiece::FromMeasures(std::span<const std::string> fileNames) {
    MFiData composed(kVoiceType, kCapacity);
    BarEnds ends = AppendMeasures(fileNames, composed);
    return Transfer(composed, std::move(ends));
}

ThrownPiece ThrownPiece::FromFile(const std::string& path) {
    return Transfer(*LoadMelodyFile(path, kVoiceType), {});
}

std::int32_t ThrownPiece::EndTickOf(const MobileData& melody) {
    return ClampToInt32(static_cast<std::int64_t>(melody.MeasureLength()) * melody.MeasureCount());
}

BarEnds ThrownPiece::BarEndsInSequenceTicks() const {
    BarEnds ends = barEnds;
    if (melody->timeBase > 0 && melody->timeBase != kSequenceDivision) {
        for (auto& end : ends) end = end * kSequenceDivision / melody->timeBase;
    }
    return ends;
}

}  // namespace zamrit
