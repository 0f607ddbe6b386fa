#include "midiseq/MidiF0Data.h"

#include <algorithm>
#include <array>
#include <limits>

#include "melody/MidiEventKind.h"
#include "melody/MobileCommand.h"
#include "melody/ModuleReporter.h"
#include "melody/MusicConversions.h"
#include "melody/OnceOnlyWarnings.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 9> kTexts{{
    {0x04000001, "This file is not Format 0!"},
    {0x04000002, "Can not open the file!"},
    {0x04000003, "The number of track is invalid! in MidiF0Data!"},
    {0x04000004, "This is not a MIDI file. Or maybe mac binary is attached to the file!"},
    {0x04000005, "Internal error occured in MidiF0Data!"},
    {0x04000008, "The number of measure is invalid!"},
    {0x04000009, "Musical information is wrong!"},
    {0x0400000A, "Error occured during stop process!"},
    {0x0400000B, "The end of track is invalid!"},
}};

constexpr ModuleReporter kReporter{"M0DT", kTexts, "Error occurred in MidiF0Data!"};

constexpr std::array<ErrorText, 1> kWarnings{{
    {0x04000007, "拍子記号の位置が異常です。"},
}};

OnceOnlyWarnings& Warnings() {
    static OnceOnlyWarnings warnings(kReporter, kWarnings);
    return warnings;
}


}  // namespace

MidiF0Data::MidiF0Data(std::int32_t capacity)
    : fileBuffer(static_cast<std::uint32_t>(std::max(capacity, 0))),
      track(std::make_unique<MidiTrackData>(capacity)) {
    ReportOnce(0);
    track->state = MidiTrackData::kStateUnderConstruction;
}

std::int32_t MidiF0Data::SetDivision(std::int32_t newDivision, std::int32_t mode) {
    const std::int32_t result = track->Rescale(division, newDivision, mode);
    division = newDivision;
    return result;
}

void MidiF0Data::Finalize() {
    if (state != kStateUnderConstruction) {
        ReportError(0x04000005);
        return;
    }
    track->Finalize();
    state = kStateReady;
}

std::int32_t MidiF0Data::MeasureLength() const {
    std::int32_t signature = timeSignature;
    if (signature == 0) track->FindTimeSignature(signature);
    return MeasureTicks(signature, division);
}

std::int32_t MidiF0Data::TrimLeadingMeasures() {
    std::int32_t firstNoteKind = 0;
    if (state == kStateReady) {
        firstNoteKind = kMidiNoteOn;
    } else if (state == kStateUnderConstruction) {
        firstNoteKind = kNoteEvent;
    } else {
        ReportError(0x04000005);
        return 0;
    }

    std::int64_t firstNoteTick = 0;
    for (const auto& event : track->Events()) {
        firstNoteTick += event.delta;
        if (event.kind == firstNoteKind) break;
    }
    const std::int64_t measure = MeasureLength();  // at least 1
    const std::int64_t trim = firstNoteTick / measure * measure;
    if (trim <= 0) return 0;

    std::int64_t tick = 0;
    for (std::int32_t i = 0; i < track->count(); ++i) {
        MusicEvent& event = track->At(i);
        tick += event.delta;
        if (tick > trim) {
            event.delta = static_cast<std::int32_t>(tick - trim);
            break;
        }
        event.delta = 0;
    }
    return static_cast<std::int32_t>(std::min<std::int64_t>(
        trim, std::numeric_limits<std::int32_t>::max()));
}

void MidiF0Data::ReportError(ErrorCode code) { kReporter.Report(code); }

void MidiF0Data::ReportOnce(ErrorCode code) { Warnings().Report(code); }

}  // namespace zamrit
