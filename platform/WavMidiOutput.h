#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/FluidSynthEngine.h"
#include "platform/ManualClock.h"
#include "platform/MidiOutput.h"
#include "platform/SynthEngineCache.h"
#include "platform/WavFileWriter.h"

namespace zamrit {

// The built-in synthesizer writing its audio to a WAV file, sample-exact against the
// process-wide timer service's clock: before each message the audio is rendered up to the
// clock's present, so every message sounds at the moment it was sent. In real time a pacing
// thread keeps the file growing through the silences as well; on a manual clock (offline
// rendering) the file grows only as the clock moves.
//
// The file is put in its place at the close, and only when all of it was written; a failed
// write (a full disk) makes Close return false, with the reason in Problem.
class WavMidiOutput final : public MidiOutput {
public:
    // Asked at the close: whether the file is kept (false removes it, an earlier one stays).
    using KeepFile = std::function<bool()>;
    // Told at the close whether the file is in its place, and if not why ("" when not kept).
    using Closed = std::function<void(bool written, const std::string& problem)>;

    // The process's engine for the SoundFont at the resolved path soundFont (loaded once, see
    // SynthEngineCache); nullptr, with the reason in `problem` when one is given, when the
    // font can not be loaded or the file can not be created.
    static std::unique_ptr<WavMidiOutput> Open(const std::string& path, const std::string& soundFont, bool paced,
                                               std::string* problem = nullptr, KeepFile keep = {},
                                               Closed closed = {});
    ~WavMidiOutput() override;

    bool SendShort(std::uint32_t packed) override;
    bool SendLong(std::span<const std::uint8_t> message) override;
    bool Reset() override;
    bool Close() override;
    std::string Problem() const override;

private:
    WavMidiOutput(std::string path, SynthEngineCache::Loan engine, std::unique_ptr<WavFileWriter> writer,
                  ClockTime opened, KeepFile keep, Closed closed);
    void RenderUntilNow();  // with mutex_ held
    void Pace();

    const std::string path_;
    mutable std::mutex mutex_;
    std::condition_variable stop_;
    SynthEngineCache::Loan engine_;
    std::unique_ptr<WavFileWriter> writer_;
    const ClockTime opened_;
    std::vector<std::int16_t> buffer_;
    KeepFile keep_;
    Closed onClosed_;
    bool closed_ = false;
    std::string problem_;
    std::thread pacer_;
};

}  // namespace zamrit
