#include "platform/WavRenderService.h"

#include "platform/WavMidiOutput.h"

namespace zamrit {

std::unique_ptr<MidiOutput> WavRenderService::Open(std::int32_t) {
    std::unique_ptr<MidiOutput> output = WavMidiOutput::Open(path_, false);
    if (output != nullptr) opened_ = true;
    return output;
}

}  // namespace zamrit
