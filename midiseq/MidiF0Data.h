#pragma once

#include <cstdint>
#include <memory>

#include "melody/ErrorReporting.h"
#include "melody/FileBuffer.h"
#include "melody/MusicConversions.h"
#include "midiseq/MidiTrackData.h"

namespace zamrit {

// A single-track (format 0) MIDI sequence in memory: its division (ticks per quarter note),
// an optional time signature and one event list. It is built under construction (state 2,
// notes with durations), then finalised into the ready form that is played (state 1).
class MidiF0Data {
public:
    static constexpr std::int32_t kStateUnderConstruction = 2;
    static constexpr std::int32_t kStateReady = 1;
    static constexpr std::int32_t kDefaultDivision = 960;
    static constexpr std::int32_t kDefaultMeasureLength = zamrit::kDefaultMeasureLength;

    explicit MidiF0Data(std::int32_t capacity);
    MidiF0Data(const MidiF0Data&) = delete;
    MidiF0Data& operator=(const MidiF0Data&) = delete;

    // Rescales every time of the track to the new division (see MidiTrackData::Rescale) and
    // takes it; 1 if a note's duration had to be changed from 0, else 0.
    std::int32_t SetDivision(std::int32_t newDivision, std::int32_t mode = 0);

    // Makes the sequence ready; in any other state than under construction it reports
    // M0DT04000005 and changes nothing.
    void Finalize();

    // Removes the whole silent measures before the first note and returns their ticks.
    std::int32_t TrimLeadingMeasures();

    // Ticks per measure from the time signature (the sequence's own, else the track's first
    // time-signature event) and the division; 384 when there is none or when it gives no
    // whole positive length (a denominator of 0, a division of 0).
    std::int32_t MeasureLength() const;

    static void ReportError(ErrorCode code);
    static void ReportOnce(ErrorCode code);

    FileBuffer fileBuffer;
    std::int32_t division = kDefaultDivision;
    std::int32_t state = kStateUnderConstruction;
    std::int32_t timeSignature = 0;
    std::unique_ptr<MidiTrackData> track;
};

}  // namespace zamrit
