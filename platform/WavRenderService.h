#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/MidiOutService.h"

namespace zamrit {

// The outputs of a render: every device, the mapper included, is the built-in synthesizer
// writing to one WAV file, unpaced, so that a render never falls back to the loudspeakers.
// The file is put in its place when the device closes, only when every sample was written and
// the keep condition (by default: always) still holds; otherwise an earlier file stays as it was.
class WavRenderService final : public MidiOutService {
public:
    explicit WavRenderService(std::string path, std::function<bool()> keepFile = {})
        : path_(std::move(path)), keepFile_(std::move(keepFile)) {}

    std::uint32_t DeviceCount() override { return 1; }
    std::unique_ptr<MidiOutput> Open(std::int32_t id) override;
    // Says which file could not be made and why.
    void ExplainOpenFailure() override;

    // Whether the file was ever opened (the player opens its device on its own thread).
    bool Opened() const { return opened_; }
    // Whether the finished file is in its place.
    bool Written() const { return written_; }
    // The resolved path of the SoundFont the render plays; empty before the open or when none.
    std::string SoundFont() const;
    // Why the file could not be opened or written; empty when nothing failed.
    std::string Problem() const;

private:
    void SetProblem(std::string problem);

    std::string path_;
    std::function<bool()> keepFile_;
    std::atomic<bool> opened_{false};
    std::atomic<bool> written_{false};
    mutable std::mutex mutex_;
    std::string problem_;
    std::string soundFont_;
};

}  // namespace zamrit
