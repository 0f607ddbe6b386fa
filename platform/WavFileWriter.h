#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace zamrit {

// Writes 16-bit PCM samples to a RIFF WAVE file. The sizes in the header are filled in by
// Finish; a file never finished still holds every sample written, with sizes of 0.
class WavFileWriter {
public:
    // nullptr when the file can not be created.
    static std::unique_ptr<WavFileWriter> Create(const std::string& path, int sampleRate, int channels);

    WavFileWriter(const WavFileWriter&) = delete;
    WavFileWriter& operator=(const WavFileWriter&) = delete;
    ~WavFileWriter();

    bool Write(std::span<const std::int16_t> samples);
    bool Finish();
    std::uint64_t FramesWritten() const { return samplesWritten_ / static_cast<unsigned>(channels_); }

private:
    struct CloseFile {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    WavFileWriter(std::unique_ptr<std::FILE, CloseFile> file, int sampleRate, int channels);
    bool WriteHeader(std::uint32_t dataBytes);

    std::unique_ptr<std::FILE, CloseFile> file_;
    int sampleRate_;
    int channels_;
    std::uint64_t samplesWritten_ = 0;
};

}  // namespace zamrit
