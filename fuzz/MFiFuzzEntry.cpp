// Loads arbitrary bytes as an MFi melody file, the way the game loads a measure: the image
// is read into an MFiData, its track 0 is appended to a piece, and both are handed to a
// playable melody and measured. The bytes are also read as a single track chunk. Reports are
// counted and dropped.
//
// The buffer is the input and a small margin of zeros, not a file buffer of the game (0x60000
// bytes): reading up to and never past its end works the same at any size, the margin still
// lets every read run past the loaded bytes into zeros, and a chunk length that runs past the
// data then costs a few zero events instead of thousands.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "melody/MobileData.h"
#include "mfi/MFiData.h"
#include "fuzz/FuzzSupport.h"
#include "platform/MessageSink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zamrit;
    fuzz::DiscardingSink sink;
    ScopedMessageSink scope(sink);

    const std::uint32_t capacity = fuzz::BufferSizeFor(size);
    const MFiData loaded(std::span<const std::uint8_t>(data, size), 4, capacity);
    MobileData melody(0x60000);
    loaded.ToMobileData(melody);
    melody.MeasureLength();
    melody.MeasureCount();

    // The same bytes as one "trac" chunk under the voice type named by the last byte, so that
    // the note rules of every voice type are read, the ones MFiData refuses included.
    if (size > 0) {
        MFiTrack::ChannelTypes types{};
        types.fill(MFiTrack::kMelodyChannel);
        types[9] = MFiTrack::kDrumChannel;
        MFiTrack track(MFiBytes(std::span<const std::uint8_t>(data, size), capacity), 0,
                       data[size - 1], types);
        track.timeBase = 48;
        track.RescaleTimeBase(96);
    }

    if (const MFiTrack* first = loaded.GetTrack(0)) {
        MFiData piece(4, 0x60000);
        piece.GetTrack(0)->Append(*first);
        piece.GetTrack(0)->Append(*first);
        MobileData played(0x60000);
        piece.ToMobileData(played);
        played.MeasureCount();
    }
    return 0;
}
