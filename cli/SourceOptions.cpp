#include "cli/SourceOptions.h"

#include <ctime>

#include "app/DiceState.h"
#include "app/RuntimeRandom.h"
#include "app/ThrownPiece.h"
#include "cli/FormOption.h"

namespace zamrit {
namespace {

bool Given(const CLI::Option* option) { return option != nullptr && option->count() > 0; }

SourcePiece FromThrown(ThrownPiece thrown) {
    SourcePiece piece;
    piece.melody = std::move(thrown.melody);
    piece.endTick = thrown.endTick;
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
    if (Given(fileOption_)) return FromThrown(ThrownPiece::FromFile(file_));
    if (Given(measuresOption_)) {
        ThrownPiece thrown = ThrownPiece::FromMeasures(measures_);
        BarEnds ends = std::move(thrown.barEnds);
        SourcePiece piece = FromThrown(std::move(thrown));
        piece.barEnds = std::move(ends);
        return piece;
    }
    const std::uint32_t seed =
        Given(seedOption_) ? seed_ : static_cast<std::uint32_t>(std::time(nullptr));
    RuntimeRandom random(seed);
    DiceState dice;
    dice.Throw(form_, random);
    SourcePiece piece = FromThrown(ThrownPiece::FromThrow(form_, dice));
    piece.seed = seed;
    return piece;
}

}  // namespace zamrit
