#include "cli/DumpCommand.h"

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "app/Composition.h"
#include "cli/EventJson.h"
#include "cli/JsonOutput.h"
#include "mfi/MFiData.h"

namespace zamrit {
namespace {

struct DumpOptions {
    std::string file;
    std::int32_t voiceType = 4;
};

nlohmann::ordered_json HeaderAsJson(const MFiHeader* header) {
    if (header == nullptr) return nullptr;
    return {
        {"id", header->IdText()},
        {"majorType", header->majorType},
        {"minorType", header->minorType},
        {"voiceType", header->voiceType},
    };
}

nlohmann::ordered_json InfoAsJson(const MFiInfo* info) {
    if (info == nullptr) return nullptr;
    nlohmann::ordered_json chunks = nlohmann::ordered_json::object();
    for (std::size_t slot = 0; slot < MFiInfo::kSlotCount; ++slot) {
        const MFiInfoChunk* chunk = info->Slot(slot);
        if (chunk == nullptr) continue;
        chunks[chunk->IdText()] = {{"length", chunk->length}, {"data", HexBytes(chunk->Bytes())}};
    }
    return {{"parsedSize", info->parsedSize}, {"chunks", chunks}};
}

nlohmann::ordered_json TracksAsJson(const MFiData& data) {
    nlohmann::ordered_json tracks = nlohmann::ordered_json::array();
    for (std::int32_t i = 0; i < data.trackCount; ++i) {
        const MFiTrack& track = *data.GetTrack(i);
        tracks.push_back({
            {"index", track.index},
            {"id", track.IdText()},
            {"size", track.size},
            {"events", EventsToJson(track.trackData->Events())},
        });
    }
    return tracks;
}

nlohmann::ordered_json DumpAsJson(const DumpOptions& options, const RecordingMessageSink& reports) {
    const std::unique_ptr<MFiData> loaded = LoadMelodyFile(options.file, options.voiceType);
    const MFiData& data = *loaded;
    return {
        {"file", options.file},
        {"voiceType", data.voiceType},
        {"trackCount", data.trackCount},
        {"header", HeaderAsJson(data.header.get())},
        {"info", InfoAsJson(data.info.get())},
        {"tracks", TracksAsJson(data)},
        {"reports", ReportsToJson(reports)},
    };
}

}  // namespace

void RegisterDumpCommand(CLI::App& app, CommandAction& action) {
    auto options = std::make_shared<DumpOptions>();
    CLI::App* command = app.add_subcommand("dump", "Load an MFi melody file and show what it holds");
    command->add_option("FILE", options->file, "The MFi file")->required();
    command->add_option("--voice-type", options->voiceType,
                        "Voice type to load with (default 4; the file's own type wins)");
    command->callback([&action, options] {
        action = [options](RecordingMessageSink& reports) {
            // Ids and chunk texts are raw bytes: anything that is not UTF-8 shows as U+FFFD.
            return PrintJson("dump", DumpAsJson(*options, reports)) ? kExitClean : kExitReported;
        };
    });
}

}  // namespace zamrit
