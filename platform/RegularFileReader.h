#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zamrit {

// A regular file opened for reading. Whatever else a path may name (a FIFO, a device, a
// socket, a directory) is refused, and refused at once: the path is opened without blocking
// and checked before a byte is read, so a FIFO without a writer or a device that never ends
// can not hold the reader.
class RegularFileReader {
public:
    explicit RegularFileReader(const std::string& path);
    RegularFileReader(const RegularFileReader&) = delete;
    RegularFileReader& operator=(const RegularFileReader&) = delete;
    ~RegularFileReader();

    // False when the path is missing, unreadable or not a regular file.
    bool IsOpen() const { return descriptor_ >= 0; }
    // The size the system gives when it was opened (0 for a file, such as those of /proc,
    // that has no size until it is read).
    std::uint64_t Size() const { return size_; }
    // Reads from the current position until `into` is full or the file ends; the bytes read.
    std::size_t Read(std::span<std::uint8_t> into);

private:
    int descriptor_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace zamrit
