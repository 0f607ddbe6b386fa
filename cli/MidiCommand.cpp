#include "cli/MidiCommand.h"

#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/EventJson.h"
#include "cli/JsonOutput.h"
#include "cli/SourceOptions.h"
#include "melody/ErrorReporting.h"
#include "midiseq/MidiF0Data.h"
#include "midiseq/MidiFileWriter.h"

namespace zamrit {
namespace {

struct MidiOptions {
    SourceOptions source;
    std::int32_t startTick = 0;
    std::optional<std::int32_t> endTick;
    std::string outputPath;
};

nlohmann::ordered_json SequenceAsJson(const MidiF0Data* sequence, std::int32_t trimmed,
                                      const RecordingMessageSink& reports) {
    if (sequence == nullptr) {
        return {{"division", nullptr}, {"state", nullptr},   {"timeSignature", nullptr},
                {"trimmed", 0},        {"events", nlohmann::ordered_json::array()},
                {"reports", ReportsToJson(reports)}};
    }
    return {{"division", sequence->division},
            {"state", sequence->state},
            {"timeSignature", sequence->timeSignature},
            {"trimmed", trimmed},
            {"events", EventsToJson(sequence->track->Events())},
            {"reports", ReportsToJson(reports)}};
}

int RunMidi(const MidiOptions& options, RecordingMessageSink& reports) {
    if (const auto error = options.source.UsageError()) {
        std::cerr << "zamrit-dice midi: " << *error << '\n';
        return kExitUsage;
    }
    const SourcePiece piece = options.source.Build();
    const std::int32_t endTick = options.endTick.value_or(piece.endTick);
    std::int32_t trimmed = 0;
    const std::unique_ptr<MidiF0Data> sequence =
        piece.melody->MakeSequence(options.startTick, endTick, &trimmed);

    std::string problem;
    if (sequence != nullptr && !options.outputPath.empty() &&
        !MidiFileWriter::Write(*sequence, options.outputPath, &problem)) {
        ShowErrorMessage("Can not write the file " + options.outputPath + ": " + problem);
    }
    return PrintJson("midi", SequenceAsJson(sequence.get(), trimmed, reports)) ? kExitClean : kExitReported;
}

}  // namespace

void RegisterMidiCommand(CLI::App& app, CommandAction& action) {
    auto options = std::make_shared<MidiOptions>();
    CLI::App* command = app.add_subcommand(
        "midi", "Build the playable MIDI sequence of a piece, optionally as a MIDI file");
    options->source.AddTo(*command);
    command->add_option("--start", options->startTick, "First tick of the range (default 0)");
    command->add_option("--end", options->endTick,
                        "Tick where the range ends (default: the end of the last measure)");
    command->add_option("-o,--output", options->outputPath,
                        "Write the sequence as a format-0 Standard MIDI File");
    command->callback([&action, options] {
        action = [options](RecordingMessageSink& reports) { return RunMidi(*options, reports); };
    });
}

}  // namespace zamrit
