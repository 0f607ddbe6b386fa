#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/PieceForm.h"
#include "melody/MobileData.h"

namespace zamrit {

// A melody made ready to be played, and the tick where its last measure ends.
struct SourcePiece {
    std::unique_ptr<MobileData> melody;
    std::int32_t endTick = 0;
    std::optional<std::uint32_t> seed;  // the seed of the dice, for a thrown piece
    // For --measures: the tick (in the melody's time base) where each measure file ends.
    std::optional<std::vector<std::int64_t>> barEnds;
};

// The SOURCE of the commands that play a piece, in one of three forms:
//   --form dance|minuet [--seed N]  throw the dice (seeded with N, default the current time)
//                                   and compose the piece from the measure files of the
//                                   current directory, as the game does;
//   --measures F1 F2 ...            compose the piece from these measure files;
//   FILE                            the melody of one MFi file, with all its tracks.
// A composed piece is track 0 of each measure file appended, in order, to an empty melody of
// voice type 4. The end tick is the melody's measure length times its measure count.
//
//   auto source = std::make_shared<SourceOptions>();
//   source->AddTo(*command);
//   ... in the action: if (auto error = source->UsageError()) { ... return kExitUsage; }
//                      SourcePiece piece = source->Build();
class SourceOptions {
public:
    void AddTo(CLI::App& command);

    // The message when not exactly one form was given (or --seed without --form).
    std::optional<std::string> UsageError() const;

    SourcePiece Build() const;

    // The form when the piece is thrown with --form, else nothing.
    std::optional<PieceForm> Form() const;

private:
    PieceForm form_ = PieceForm::Dance;
    std::uint32_t seed_ = 0;
    std::vector<std::string> measures_;
    std::string file_;
    CLI::Option* formOption_ = nullptr;
    CLI::Option* seedOption_ = nullptr;
    CLI::Option* measuresOption_ = nullptr;
    CLI::Option* fileOption_ = nullptr;
};

}  // namespace zamrit
