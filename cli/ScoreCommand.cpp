#include "cli/ScoreCommand.h"

#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <nlohmann/json.hpp>

#include "cli/EventJson.h"
#include "cli/JsonOutput.h"
#include "cli/SourceOptions.h"
#include "cli/StopSignals.h"
#include "melody/ErrorReporting.h"
#include "platform/AtomicFileWriter.h"
#include "score/LilyPondProgram.h"
#include "score/LilyPondWriter.h"
#include "score/MusicXmlWriter.h"
#include "score/ScoreBuilder.h"

namespace zamrit {
namespace {

enum class ScoreFormat { MusicXml, LilyPond, Svg, Pdf };

struct ScoreOptions {
    SourceOptions source;
    ScoreFormat format = ScoreFormat::MusicXml;
    std::string outputPath;
};

constexpr const char* FormatName(ScoreFormat format) {
    switch (format) {
        case ScoreFormat::MusicXml: return "musicxml";
        case ScoreFormat::LilyPond: return "ly";
        case ScoreFormat::Svg: return "svg";
        case ScoreFormat::Pdf: return "pdf";
    }
    return "";
}

// Writes the score in the chosen format; false when the file was not written (reported, or
// stopped by a signal, which ends lilypond and writes nothing).
bool WriteScore(const score::Score& notation, ScoreFormat format, const std::string& path,
                const StopSignals& signals) {
    if (format == ScoreFormat::MusicXml || format == ScoreFormat::LilyPond) {
        const std::string text = format == ScoreFormat::MusicXml ? score::MusicXmlWriter::Write(notation)
                                                                 : score::LilyPondWriter::Write(notation);
        const std::optional<std::string> problem = AtomicFileWriter::WriteWhole(path, text);
        if (!problem) return true;
        ShowErrorMessage("Can not write the file " + path + ": " + *problem);
        return false;
    }
    const bool pdf = format == ScoreFormat::Pdf;
    const auto result = score::LilyPondProgram::Engrave(
        score::LilyPondWriter::Write(notation, pdf ? score::LilyPondWriter::Page::Print
                                                   : score::LilyPondWriter::Page::Screen),
        pdf ? score::LilyPondProgram::Format::Pdf : score::LilyPondProgram::Format::Svg, path,
        [&signals] { return signals.Received() != 0; });
    if (!result.written && !result.stopped) ShowErrorMessage(result.problem);
    return result.written;
}

score::ScoreLayout LayoutOf(const SourceOptions& source, const SourcePiece& piece) {
    if (const auto form = source.Form()) return score::ScoreLayout::ForForm(*form);
    if (piece.barEnds) return score::ScoreLayout::ForMeasures(*piece.melody, *piece.barEnds);
    return score::ScoreLayout::ForMelody(*piece.melody);
}

int RunScore(const ScoreOptions& options, RecordingMessageSink& reports) {
    if (const auto error = options.source.UsageError()) {
        std::cerr << "zamrit-dice score: " << *error << '\n';
        return kExitUsage;
    }
    StopSignals signals;
    const SourcePiece piece = options.source.Build();
    const score::ScoreLayout layout = LayoutOf(options.source, piece);
    // A piece past the limit is refused before anything is built: its text would grow with
    // its bars, whatever the size of the file it came from.
    bool written = false;
    if (const auto refusal = score::ScoreBuilder::Refusal(*piece.melody, layout)) {
        ShowErrorMessage(*refusal);
    } else if (signals.Received() == 0) {
        const score::Score notation = score::ScoreBuilder::Build(*piece.melody, layout);
        if (signals.Received() == 0) written = WriteScore(notation, options.format, options.outputPath, signals);
    }

    nlohmann::ordered_json summary{{"format", FormatName(options.format)},
                                   {"output", options.outputPath},
                                   {"written", written},
                                   {"title", layout.title},
                                   {"bars", layout.BarCount()}};
    if (piece.seed) summary["seed"] = *piece.seed;
    summary["stoppedBy"] = signals.Received() != 0 ? nlohmann::ordered_json(signals.Name()) : nlohmann::ordered_json(nullptr);
    summary["reports"] = ReportsToJson(reports);
    if (!PrintJson("score", summary)) return kExitReported;
    return signals.Received() != 0 ? signals.ExitStatus() : kExitClean;
}

}  // namespace

void RegisterScoreCommand(CLI::App& app, CommandAction& action) {
    auto options = std::make_shared<ScoreOptions>();
    CLI::App* command = app.add_subcommand("score", "Write a piece as sheet music: MusicXML, LilyPond, SVG or PDF");
    options->source.AddTo(*command);
    const std::map<std::string, ScoreFormat> formats{{"musicxml", ScoreFormat::MusicXml},
                                                     {"ly", ScoreFormat::LilyPond},
                                                     {"svg", ScoreFormat::Svg},
                                                     {"pdf", ScoreFormat::Pdf}};
    command->add_option("--format", options->format, "musicxml, ly, svg or pdf (svg and pdf need lilypond)")
        ->required()
        ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case));
    command->add_option("-o,--output", options->outputPath, "The file to write")->required();
    command->callback([&action, options] {
        action = [options](RecordingMessageSink& reports) { return RunScore(*options, reports); };
    });
}

}  // namespace zamrit
