#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

namespace zamrit {

// A zero-filled block of bytes with a single owner. Every variable-sized piece of melody data
// lives in one: event data bytes, file images, work buffers.
class Block {
public:
    Block() = default;

    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::span<std::uint8_t> bytes() { return {bytes_.get(), size_}; }
    std::span<const std::uint8_t> bytes() const { return {bytes_.get(), size_}; }

private:
    struct Release {
        void operator()(std::uint8_t* bytes) const { std::free(bytes); }
    };

    Block(std::unique_ptr<std::uint8_t[], Release> bytes, std::size_t size)
        : bytes_(std::move(bytes)), size_(size) {}

    std::unique_ptr<std::uint8_t[], Release> bytes_;
    std::size_t size_ = 0;

    friend Block AllocBlock(std::size_t bytes);
};

// Returns a block of `bytes` zero bytes. When memory runs out it reports GENE01000002 and ends
// the program: no caller has a way on without the block.
Block AllocBlock(std::size_t bytes);

// Gives the block's memory back; the block is empty afterwards.
void FreeBlock(Block& block);

}  // namespace zamrit
