#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "melody/MobileCommand.h"
#include "melody/MobileTrackData.h"
#include "mfi/MFiData.h"
#include "tools/MFiWriter.h"

namespace zamrit::testing {

using Bytes = std::vector<std::uint8_t>;

// An event in one short line: "note d0 c1 k55 g48 v36", "cmd d0 c255 37=500000", "empty d10".
inline std::string Describe(const MusicEvent& event) {
    const std::string head = " d" + std::to_string(event.delta) + " c" + std::to_string(event.channel);
    switch (event.kind) {
    case kNoteEvent:
        return "note" + head + " k" + std::to_string(event.key) + " g" +
               std::to_string(event.duration) + " v" + std::to_string(event.velocity);
    case kCommandEvent:
        return "cmd" + head + " " + std::to_string(event.code) + "=" + std::to_string(event.value);
    case kEmptyEvent:
        return "empty d" + std::to_string(event.delta);
    default:
        return "kind" + std::to_string(event.kind) + head;
    }
}

inline std::vector<std::string> Describe(const MobileTrackData& events) {
    std::vector<std::string> lines;
    for (const auto& event : events.Events()) lines.push_back(Describe(event));
    return lines;
}

inline std::vector<std::string> Describe(const MFiTrack& track) { return Describe(*track.trackData); }

inline std::unique_ptr<MFiData> Load(const Bytes& image, std::int32_t voiceType = 4) {
    return std::make_unique<MFiData>(image, voiceType);
}

// A four-track voice type 4 file with the given "vers" and tracks (missing ones empty).
inline Bytes FourTracks(const std::vector<MFiEventWriter>& tracks, const char* version = "0200") {
    MFiWriter file(4);
    if (version != nullptr) file.InfoText("vers", version);
    for (std::size_t i = 0; i < 4; ++i) file.Track(i < tracks.size() ? tracks[i] : MFiEventWriter());
    return file.Bytes();
}

// A voice type 250 file (cmid, voice code 1, "vers" 0200) holding one event stream.
inline Bytes StreamFile(const MFiEventWriter& events) {
    MFiWriter file(1, "cmid", 2, 1);
    file.InfoText("vers", "0200").Stream(events);
    return file.Bytes();
}

}  // namespace zamrit::testing
