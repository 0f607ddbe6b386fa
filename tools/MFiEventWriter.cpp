#include "tools/MFiEventWriter.h"

#include "tools/BigEndian.h"

namespace zamrit {

MFiEventWriter& MFiEventWriter::Note(std::uint8_t delta, std::uint8_t channel, std::uint8_t key,
                                     std::uint8_t gate, std::uint8_t velocity,
                                     std::uint8_t octave) {
    events_.insert(events_.end(),
                   {delta, static_cast<std::uint8_t>(((channel & 0x03) << 6) | (key & 0x3F)), gate,
                    static_cast<std::uint8_t>(((velocity & 0x3F) << 2) | (octave & 0x03))});
    return *this;
}

MFiEventWriter& MFiEventWriter::ShortNote(std::uint8_t delta, std::uint8_t channel,
                                          std::uint8_t key, std::uint8_t gate) {
    events_.insert(events_.end(),
                   {delta, static_cast<std::uint8_t>(((channel & 0x03) << 6) | (key & 0x3F)), gate});
    return *this;
}

MFiEventWriter& MFiEventWriter::Command(std::uint8_t delta, std::uint8_t command,
                                        std::uint8_t parameter) {
    events_.insert(events_.end(), {delta, 0xFF, command, parameter});
    return *this;
}

MFiEventWriter& MFiEventWriter::Tempo(std::uint8_t delta, std::uint8_t code, std::uint8_t tempo) {
    return Command(delta, static_cast<std::uint8_t>(0xC0 | (code & 0x0F)), tempo);
}

MFiEventWriter& MFiEventWriter::Program(std::uint8_t delta, std::uint8_t channel,
                                        std::uint8_t program) {
    return Command(delta, 0xE0,
                   static_cast<std::uint8_t>(((channel & 0x03) << 6) | (program & 0x3F)));
}

MFiEventWriter& MFiEventWriter::Exclusive(std::uint8_t delta, std::span<const std::uint8_t> data) {
    events_.insert(events_.end(), {delta, 0xFF, 0xFF});
    AppendBigEndian16(events_, static_cast<std::uint16_t>(data.size()));
    events_.insert(events_.end(), data.begin(), data.end());
    return *this;
}

MFiEventWriter& MFiEventWriter::Raw(std::span<const std::uint8_t> bytes) {
    events_.insert(events_.end(), bytes.begin(), bytes.end());
    return *this;
}

std::vector<std::uint8_t> MFiEventWriter::Chunk(std::string_view id) const {
    std::vector<std::uint8_t> chunk;
    AppendId(chunk, id);
    AppendBigEndian32(chunk, static_cast<std::uint32_t>(events_.size()));
    chunk.insert(chunk.end(), events_.begin(), events_.end());
    return chunk;
}

}  // namespace zamrit
