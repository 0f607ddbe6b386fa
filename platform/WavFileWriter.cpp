#include "platform/WavFileWriter.h"

#include <array>
#include <limits>

namespace zamrit {
namespace {

void PutLittleEndian(std::uint8_t* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::unique_ptr<WavFileWriter> WavFileWriter::Create(const std::string& path, int sampleRate, int channels) {
    std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "wb"));
    if (file == nullptr) return nullptr;
    std::unique_ptr<WavFileWriter> writer(new WavFileWriter(std::move(file), sampleRate, channels));
    if (!writer->WriteHeader(0)) return nullptr;
    return writer;
}

WavFileWriter::WavFileWriter(std::unique_ptr<std::FILE, CloseFile> file, int sampleRate, int channels)
    : file_(std::move(file)), sampleRate_(sampleRate), channels_(channels) {}

WavFileWriter::~WavFileWriter() { Finish(); }

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
    return std::fseek(file_.get(), 0, SEEK_SET) == 0 &&
           std::fwrite(header.data(), 1, header.size(), file_.get()) == header.size();
}

bool WavFileWriter::Write(std::span<const std::int16_t> samples) {
    if (file_ == nullptr) return false;
    // Samples are stored little-endian, as this machine holds them.
    const std::size_t written = std::fwrite(samples.data(), sizeof(std::int16_t), samples.size(), file_.get());
    samplesWritten_ += written;
    return written == samples.size();
}

bool WavFileWriter::Finish() {
    if (file_ == nullptr) return false;
    const std::uint64_t bytes = samplesWritten_ * 2;
    const auto dataBytes = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(bytes, std::numeric_limits<std::uint32_t>::max() - 36));
    const bool patched = WriteHeader(dataBytes);
    return std::fclose(file_.release()) == 0 && patched;
}

}  // namespace zamrit
