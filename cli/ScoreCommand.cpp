#include "cli/ScoreCommand.h"

#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/EventJson.h"
#include "cli/SourceOptions.h"
#include "melody/ErrorReporting.h"
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

bool WriteText(const std::string& text, const std::string& path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return static_cast<bool>(file);
}

// Writes the score in the chosen format; false when the file was not written (reported).
bool WriteScore(const score::Score& notation, ScoreFormat format, const std::string& path) {
    if (format == ScoreFormat::MusicXml || format == ScoreFormat::LilyPond) {
        const std::string text = format == ScoreFormat::MusicXml ? score::MusicXmlWriter::Write(notation)
                                                                 : score::LilyPondWriter::Write(notation);
        if (WriteText(text, path)) return true;
        ShowErrorMessage("Can not write the file " + path);
        return false;
    }
    const bool pdf = format == ScoreFormat::Pdf;
    const auto result = score::LilyPondProgram::Engrave(
        score::LilyPondWriter::Write(notation, pdf ? score::LilyPondWriter::Page::Print
                                                   : score::LilyPondWriter::Page::Screen),
        pdf ? score::LilyPondProgram::Format::Pdf : score::LilyPondProgram::Format::Svg, path);
    if (!result.written) ShowErrorMessage(result.problem);
    return result.written;
}

std::int32_t BarCount(const score::Score& notation) {
    std::int32_t bars = 0;
    for (const auto& section : notation.sections) bars += static_cast<std::int32_t>(section.bars.size());
    return bars;
}

int RunScore(const ScoreOptions& options, RecordingMessageSink& reports) {
    if (const auto error = options.source.UsageError()) {
        std::cerr << "zamrit-dice score: " << *error << '\n';
        return kExitUsage;
    }
    const SourcePiece piece = options.source.Build();
    const auto form = options.source.Form();
    const score::ScoreLayout layout =
        form ? score::ScoreLayout::ForForm(*form) : score::ScoreLayout::ForMelody(*piece.melody);
    const score::Score notation = score::ScoreBuilder::Build(*piece.melody, layout);
    const bool written = WriteScore(notation, options.format, options.outputPath);

    nlohmann::ordered_json summary{{"format", FormatName(options.format)},
                                   {"output", options.outputPath},
                                   {"written", written},
                                   {"title", notation.title},
                                   {"bars", BarCount(notation)}};
    if (piece.seed) summary["seed"] = *piece.seed;
    summary["reports"] = ReportsToJson(reports);
    std::cout << summary.dump(2) << '\n';
    return kExitClean;
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
