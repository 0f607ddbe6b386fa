#include "melody/FileBuffer.h"

#include "melody/ErrorReporting.h"
#include "platform/RegularFileReader.h"

namespace zamrit {
namespace {

constexpr std::uint32_t kLargeFileCapacity = 0xF0000;

// How many bytes to make room for: the file's size where the system knows it, else all.
std::size_t ExpectedBytes(const RegularFileReader& file, std::uint32_t capacity) {
    const std::uint64_t size = file.Size();
    if (size == 0) return capacity;
    return size < capacity ? static_cast<std::size_t>(size) : capacity;
}

}  // namespace

std::int32_t FileBuffer::Load(const std::string& name) { return LoadFile(name, *this, capacity); }

std::int32_t LoadFile(const std::string& name, FileBuffer& buffer, std::uint32_t capacity) {
    // Only a regular file is a melody; anything else (a FIFO, a device, a directory) is
    // refused as a file that can't be opened, before it could make the reader wait.
    RegularFileReader file(name);
    if (!file.IsOpen()) {
        ShowErrorMessage(name);
        ReportGeneralError(0x01000007);
        buffer.length = 0;
        return 0;
    }
    Block block = AllocBlock(ExpectedBytes(file, capacity));
    const std::size_t read = file.Read(block.bytes());
    buffer.block = std::move(block);
    buffer.length = static_cast<std::int32_t>(read);
    if (read == 0 && file.Size() == 0) {
        // Nothing to read is no melody: said with the file's name, as a missing file is.
        ShowErrorMessage(name);
        ShowErrorMessage(kEmptyFileText);
    }
    if (capacity == kLargeFileCapacity && read == capacity) ReportGeneralError(0x0100000A);
    return 1;
}

}  // namespace zamrit
