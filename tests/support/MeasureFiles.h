#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/MFiWriter.h"

namespace zamrit::testing {

// A small measure in 3/4 at 96 ticks per quarter note, as a voice type 4 file (track 0): the tempo, a
// program on each of two channels, six eighths on channel 0 and three quarters on channel 1.
// Its first event comes an eighth after the last event of the measure before it, so that
// appended measures follow each other 288 ticks apart. `seed` varies the keys.
inline MFiWriter MeasureFile(std::uint8_t seed) {
    MFiEventWriter events;
    events.Tempo(48, 4, 120);  // time base code 4: 96 ticks per quarter note
    events.Program(0, 0, 5);
    events.Program(0, 1, 33);
    for (std::uint8_t eighth = 0; eighth < 6; ++eighth) {
        const auto key = static_cast<std::uint8_t>(20 + (seed + eighth * 3) % 24);
        events.Note(eighth == 0 ? 0 : 48, 0, key, 48, 40);
        if (eighth % 2 == 0) events.Note(0, 1, static_cast<std::uint8_t>(8 + seed % 8), 96, 32);
    }
    MFiWriter file(4);  // voice type 4 files hold four tracks; the measure is on track 0
    file.InfoText("vers", "0200").Track(events);
    for (int track = 1; track < 4; ++track) file.Track(MFiEventWriter());
    return file;
}

// Writes a measure file of each name into `directory`; false if one could not be written.
inline bool WriteMeasureFiles(const std::filesystem::path& directory,
                              const std::vector<std::string>& names) {
    std::filesystem::create_directories(directory);
    std::uint8_t seed = 0;
    for (const std::string& name : names) {
        if (!MeasureFile(seed++).WriteFile(directory / name)) return false;
    }
    return true;
}

}  // namespace zamrit::testing
