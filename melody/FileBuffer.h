#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "melody/Block.h"

namespace zamrit {

// The image of a loaded file. `capacity` is the most that a load reads; the block holds the
// bytes actually read, and every byte past them, up to the capacity and beyond, reads as 0,
// exactly as if the block were a zero-filled block of the whole capacity.
class FileBuffer {
public:
    explicit FileBuffer(std::uint32_t capacity) : capacity(capacity) {}

    // Loads the named file from its start; returns 1 when it was opened, 0 when not.
    std::int32_t Load(const std::string& name);

    // The byte at `offset`, or 0 past the bytes loaded.
    std::uint8_t ByteAt(std::size_t offset) const {
        return offset < block.size() ? block.data()[offset] : 0;
    }

    std::int32_t length = 0;     // bytes loaded
    std::uint32_t position = 0;  // kept for the file's readers; 0 after construction
    Block block;                 // the bytes loaded
    std::uint32_t capacity;      // the most that a load reads
};

// The line after the name of a file that holds no byte.
inline constexpr const char* kEmptyFileText = "The file is empty.";

// Reads at most `capacity` bytes from the start of the file `name` (a bare name is looked up
// in the current directory) into `buffer`. Only a regular file is read: a file that can't be
// opened, or is no regular file (a FIFO, a device, a directory), shows its name, then
// GENE01000007, leaves the buffer empty and gives 0; it never waits for a writer. A file
// without a byte shows its name, then kEmptyFileText, and gives 1. With a capacity of 0xF0000, a file that
// fills it is reported with GENE0100000A; the bytes read stay.
std::int32_t LoadFile(const std::string& name, FileBuffer& buffer, std::uint32_t capacity);

}  // namespace zamrit
