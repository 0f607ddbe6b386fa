#include "melody/Block.h"

#include "melody/ErrorReporting.h"

namespace zamrit {

Block AllocBlock(std::size_t bytes) {
    if (bytes == 0) return {};
    auto* memory = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    if (memory == nullptr) {
        ReportGeneralError(0x01000002);
        std::exit(EXIT_FAILURE);
    }
    return Block(std::unique_ptr<std::uint8_t[], Block::Release>(memory), bytes);
}

void FreeBlock(Block& block) { block = Block(); }

}  // namespace zamrit
