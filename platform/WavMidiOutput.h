#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/FluidSynthEngine.h"
#include "platform/ManualClock.h"
#include "platform/MidiOutput.h"
#include "platform/WavFileWriter.h"

namespace zamrit {

// The built-in synthesizer writing its audio to a WAV file, sample-exact against the
// process-wide timer service's clock: before each message the audio is rendered up to the
// clock's present, so every message sounds at the moment it was sent. In real time a pacing
// thread keeps the file growing through the silences as well; on a manual clock (offline
// rendering) the file grows only as the clock moves.
class WavMidiOutput final : public MidiOutput {
public:
    // nullptr when there is no SoundFont or the file can not be created.
    static std::unique_ptr<WavMidiOutput> Open(const std::string& path, bool paced);
    ~WavMidiOutput() override;

    bool SendShort(std::uint32_t packed) override;
    bool SendLong(std::span<const std::uint8_t> message) override;
    bool Reset() override;
    bool Close() override;

private:
    WavMidiOutput(std::unique_ptr<FluidSynthEngine> engine, std::unique_ptr<WavFileWriter> writer,
                  ClockTime opened);
    void RenderUntilNow();  // with mutex_ held
    void Pace();

    std::mutex mutex_;
    std::condition_variable stop_;
    std::unique_ptr<FluidSynthEngine> engine_;
    std::unique_ptr<WavFileWriter> writer_;
    const ClockTime opened_;
    std::vector<std::int16_t> buffer_;
    bool closed_ = false;
    std::thread pacer_;
};

}  // namespace zamrit
