#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/AtomicFileWriter.h"

namespace zamrit {

// Writes 16-bit PCM samples to a RIFF WAVE file. The file is written beside its place and put
// there by Finish, with the sizes in its header filled in, only when every sample was written:
// a file that fails (a full disk) or is given up leaves an earlier file at the place as it was.
// A RIFF file counts its bytes in 32 bits, so it holds at most kMaxDataBytes of samples (6 h
// 45 min of stereo at 44.1 kHz); a write past that is refused, never written with a header that
// counts less than the file holds.
class WavFileWriter {
public:
    // The most sample bytes the "data" chunk can count: the RIFF size (data + 36) is 32 bits.
    static constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

    // nullptr, with the reason in `problem` when one is given, when the file can not be created.
    // `maxDataBytes` lowers the limit (for tests).
    static std::unique_ptr<WavFileWriter> Create(const std::string& path, int sampleRate, int channels,
                                                 std::string* problem = nullptr,
                                                 std::uint64_t maxDataBytes = kMaxDataBytes);

    WavFileWriter(const WavFileWriter&) = delete;
    WavFileWriter& operator=(const WavFileWriter&) = delete;
    ~WavFileWriter();

    // False once a write failed or the file would pass kMaxDataBytes; nothing more is written.
    bool Write(std::span<const std::int16_t> samples);
    // Fills in the header and puts the file in its place (keep), or removes it (not keep).
    // True when the file is complete in its place.
    bool Finish(bool keep = true);
    std::uint64_t FramesWritten() const { return samplesWritten_ / static_cast<unsigned>(channels_); }
    // Why the file could not be written; empty while nothing failed.
    const std::string& Problem() const { return problem_; }

private:
    WavFileWriter(std::unique_ptr<AtomicFileWriter> file, int sampleRate, int channels, std::uint64_t maxDataBytes);
    bool WriteHeader(std::uint32_t dataBytes);
    std::uint64_t MaxSamples() const;
    bool Fail(std::string problem);

    std::unique_ptr<AtomicFileWriter> file_;
    int sampleRate_;
    int channels_;
    std::uint64_t maxDataBytes_;
    std::uint64_t samplesWritten_ = 0;
    bool headerWritten_ = false;
    bool finished_ = false;
    std::string problem_;
};

}  // namespace zamrit
