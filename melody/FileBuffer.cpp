#include "melody/FileBuffer.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "melody/ErrorReporting.h"

namespace zamrit {
namespace {

constexpr std::uint32_t kLargeFileCapacity = 0xF0000;

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, CloseFile>;

// A directory or a missing path can't be opened as a melody; everything else is tried.
FileHandle OpenForReading(const std::string& name) {
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) return nullptr;
    return FileHandle(std::fopen(name.c_str(), "rb"));
}

// How many bytes to make room for: the file's size where the system knows it, else all.
std::size_t ExpectedBytes(const std::string& name, std::uint32_t capacity) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(name, error);
    if (error || size == 0) return capacity;
    return size < capacity ? static_cast<std::size_t>(size) : capacity;
}

}  // namespace

std::int32_t FileBuffer::Load(const std::string& name) { return LoadFile(name, *this, capacity); }

std::int32_t LoadFile(const std::string& name, FileBuffer& buffer, std::uint32_t capacity) {
    FileHandle file = OpenForReading(name);
    if (!file) {
        ShowErrorMessage(name);
        ReportGeneralError(0x01000007);
        buffer.length = 0;
        return 0;
    }
    Block block = AllocBlock(ExpectedBytes(name, capacity));
    const std::size_t read = std::fread(block.data(), 1, block.size(), file.get());
    buffer.block = std::move(block);
    buffer.length = static_cast<std::int32_t>(read);
    if (capacity == kLargeFileCapacity && read == capacity) ReportGeneralError(0x0100000A);
    return 1;
}

}  // namespace zamrit
