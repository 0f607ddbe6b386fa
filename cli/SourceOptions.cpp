#include "cli/SourceOptions.h"

#include <ctime>

#include "app/Composition.h"
#include "app/DiceState.h"
#include "app/RuntimeRandom.h"
#include "cli/FormOption.h"
#include "melody/TickMath.h"
#include "mfi/MFiData.h"

namespace zamrit {
namespace {

// Every melody buffer and list of the game has this capacity.
constexpr std::int32_t kCapacity = 0x60000;
constexpr std::int32_t kComposedVoiceType = 4;

bool Given(const CLI::Option* option) { return option != nullptr && option->count() > 0; }

SourcePiece Transfer(const MFiData& melodyFile) {
    SourcePiece piece;
    piece.melody = std::make_unique<MobileData>(kCapacity);
    melodyFile.ToMobileData(*piece.melody);
    piece.endTick = ClampToInt32(static_cast<std::int64_t>(piece.melody->MeasureLength()) * piece.melody->MeasureCount());
    return piece;
}

}  // namespace

void SourceOptions::AddTo(CLI::App& command) {
    formOption_ = AddFormOption(command, form_);
    seedOption_ = AddSeedOption(command, seed_, "Seed of the dice with --form (default: the current time)");
    measuresOption_ = command.add_option("--measures", measures_,
                                         "Compose the piece from these measure files, in order");
    fileOption_ = command.add_option("FILE", file_, "An MFi melody file, with all its tracks");
}

std::optional<std::string> SourceOptions::UsageError() const {
    const int forms = int{Given(formOption_)} + int{Given(measuresOption_)} + int{Given(fileOption_)};
    if (forms != 1) return "give the piece as one of --form, --measures or FILE";
    if (Given(seedOption_) && !Given(formOption_)) return "--seed goes with --form";
    return std::nullopt;
}

std::optional<PieceForm> SourceOptions::Form() const {
    if (!Given(formOption_)) return std::nullopt;
    return form_;
}

SourcePiece SourceOptions::Build() const {
    if (Given(fileOption_)) {
        return Transfer(*LoadMelodyFile(file_, kComposedVoiceType));
    }
    MFiData composed(kComposedVoiceType, kCapacity);
    if (Given(measuresOption_)) {
        BarEnds ends = AppendMeasures(measures_, composed);
        SourcePiece piece = Transfer(composed);
        piece.barEnds = std::move(ends);
        return piece;
    }
    const std::uint32_t seed =
        Given(seedOption_) ? seed_ : static_cast<std::uint32_t>(std::time(nullptr));
    RuntimeRandom random(seed);
    DiceState dice;
    dice.Throw(form_, random);
    ComposePiece(form_, dice, composed);
    SourcePiece piece = Transfer(composed);
    piece.seed = seed;
    return piece;
}

}  // namespace zamrit
