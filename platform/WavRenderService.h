#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/MidiOutService.h"

namespace zamrit {

// The outputs of a render: every device, the mapper included, is the built-in synthesizer
// writing to one WAV file, unpaced, so that a render never falls back to the loudspeakers.
class WavRenderService final : public MidiOutService {
public:
    explicit WavRenderService(std::string path) : path_(std::move(path)) {}

    std::uint32_t DeviceCount() override { return 1; }
    std::unique_ptr<MidiOutput> Open(std::int32_t id) override;
    // Whether the file was ever opened (the player opens its device on its own thread).
    bool Opened() const { return opened_; }

private:
    std::string path_;
    std::atomic<bool> opened_{false};
};

}  // namespace zamrit
