#include "platform/WavFileWriter.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace zamrit {
namespace {

constexpr std::uint64_t kBytesPerSample = 2;

void PutLittleEndian(std::uint8_t* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// "6 h 45 min 47 s": the longest sound a file holds, as the refusal tells it.
std::string HoursMinutesSeconds(std::uint64_t seconds) {
    char text[48];
    std::snprintf(text, sizeof text, "%llu h %llu min %llu s", static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60), static_cast<unsigned long long>(seconds % 60));
    return text;
}

}  // namespace

std::unique_ptr<WavFileWriter> WavFileWriter::Create(const std::string& path, int sampleRate, int channels,
                                                     std::string* problem, std::uint64_t maxDataBytes) {
    auto file = std::make_unique<AtomicFileWriter>(path);
    if (!file->IsOpen()) {
        if (problem != nullptr) *problem = file->Problem();
        return nullptr;
    }
    std::unique_ptr<WavFileWriter> writer(new WavFileWriter(std::move(file), sampleRate, channels, std::min(maxDataBytes, kMaxDataBytes)));
    if (!writer->WriteHeader(0)) {
        if (problem != nullptr) *problem = writer->Problem();
        writer->Finish(false);
        return nullptr;
    }
    return writer;
}

WavFileWriter::WavFileWriter(std::unique_ptr<AtomicFileWriter> file, int sampleRate, int channels,
                             std::uint64_t maxDataBytes)
    : file_(std::move(file)), sampleRate_(sampleRate), channels_(channels), maxDataBytes_(maxDataBytes) {}

WavFileWriter::~WavFileWriter() { Finish(); }

bool WavFileWriter::Fail(std::string problem) {
    if (problem_.empty()) problem_ = std::move(problem);
    return false;
}

// RIFF header, "fmt " chunk of 16 bytes (PCM, channels, rate, byte rate, block align, 16 bits),
// then the "data" chunk header.
bool WavFileWriter::WriteHeader(std::uint32_t dataBytes) {
    std::array<std::uint8_t, 44> header{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E',
                                        'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0};
    const auto channels = static_cast<std::uint32_t>(channels_);
    const auto rate = static_cast<std::uint32_t>(sampleRate_);
    PutLittleEndian(&header[4], 36 + dataBytes, 4);
    PutLittleEndian(&header[22], channels, 2);
    PutLittleEndian(&header[24], rate, 4);
    PutLittleEndian(&header[28], rate * channels * 2, 4);
    PutLittleEndian(&header[32], channels * 2, 2);
    PutLittleEndian(&header[34], 16, 2);
    header[36] = 'd';
    header[37] = 'a';
    header[38] = 't';
    header[39] = 'a';
    PutLittleEndian(&header[40], dataBytes, 4);
    // Written first at the file's start, then filled in over itself.
    const bool written = headerWritten_ ? file_->WriteAt(0, header) : file_->Write(header);
    headerWritten_ = true;
    return written || Fail(file_->Problem());
}

// Whole frames only, so that the header never counts part of one.
std::uint64_t WavFileWriter::MaxSamples() const {
    const auto channels = static_cast<std::uint64_t>(channels_);
    return maxDataBytes_ / kBytesPerSample / channels * channels;
}

bool WavFileWriter::Write(std::span<const std::int16_t> samples) {
    if (finished_ || !problem_.empty()) return false;
    if (samplesWritten_ + samples.size() > MaxSamples()) {
        const std::uint64_t framesPerSecond = static_cast<std::uint64_t>(sampleRate_);
        return Fail("a WAV file holds at most " +
                    HoursMinutesSeconds(MaxSamples() / static_cast<std::uint64_t>(channels_) / framesPerSecond) +
                    " of sound at " + std::to_string(sampleRate_) + " Hz, and the piece is longer");
    }
    // Samples are stored little-endian, as this machine holds them.
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(samples.data()),
                                              samples.size_bytes());
    if (!file_->Write(bytes)) return Fail(file_->Problem());
    samplesWritten_ += samples.size();
    return true;
}

bool WavFileWriter::Finish(bool keep) {
    if (finished_) return false;
    finished_ = true;
    if (keep && problem_.empty() && WriteHeader(static_cast<std::uint32_t>(samplesWritten_ * kBytesPerSample)) &&
        file_->Commit()) {
        return true;
    }
    if (keep && problem_.empty()) Fail(file_->Problem());
    file_->Discard();
    return false;
}

}  // namespace zamrit
