// Loads arbitrary bytes as an MFi melody file and takes it the whole way the game and the tool
// take a loaded melody: handed to a playable melody, made into the ready MIDI sequence of the
// whole piece and of a cut from its middle, and written as a Standard MIDI File in memory.
// Reports are counted and dropped.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

#include "fuzz/FuzzSupport.h"
#include "melody/MobileData.h"
#include "mfi/MFiData.h"
#include "midiseq/MidiF0Data.h"
#include "midiseq/MidiFileWriter.h"

namespace {

void SequenceAndWrite(const zamrit::MobileData& melody, std::int32_t startTick, std::int32_t endTick) {
    std::int32_t trimmed = 0;
    if (const auto sequence = melody.MakeSequence(startTick, endTick, &trimmed)) {
        zamrit::MidiFileWriter::Format0Bytes(*sequence);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zamrit;
    fuzz::DiscardingSink sink;
    ScopedMessageSink scope(sink);

    MobileData melody(MFiData::kFileCapacity);
    fuzz::LoadMelody(data, size, melody);

    // The end of the last measure, as the tool computes it, kept within the tick range.
    const std::int64_t endTick = std::clamp<std::int64_t>(
        static_cast<std::int64_t>(melody.MeasureLength()) * melody.MeasureCount(), 0,
        std::numeric_limits<std::int32_t>::max());
    SequenceAndWrite(melody, 0, static_cast<std::int32_t>(endTick));
    SequenceAndWrite(melody, static_cast<std::int32_t>(endTick / 3), static_cast<std::int32_t>(endTick * 2 / 3));
    return 0;
}
