#include "platform/WavMidiOutput.h"

#include <algorithm>
#include <chrono>

#include "platform/TimerService.h"

namespace zamrit {
namespace {

constexpr std::size_t kFramesPerRender = 1024;
constexpr std::chrono::milliseconds kPacingInterval{20};

}  // namespace

std::unique_ptr<WavMidiOutput> WavMidiOutput::Open(const std::string& path, const std::string& soundFont, bool paced,
                                                   std::string* problem, KeepFile keep, Closed closed) {
    std::string why;
    SynthEngineCache::Loan engine = SynthEngines().Lend(soundFont);
    std::unique_ptr<WavFileWriter> writer;
    if (!engine) {
        why = "FluidSynth can not load the SoundFont " + soundFont;
    } else {
        writer = WavFileWriter::Create(path, FluidSynthEngine::kSampleRate, 2, &why);
    }
    if (writer == nullptr) {
        if (problem != nullptr) *problem = why;
        return nullptr;
    }
    std::unique_ptr<WavMidiOutput> output(new WavMidiOutput(path, std::move(engine), std::move(writer),
                                                            CurrentTimerService().Now(), std::move(keep),
                                                            std::move(closed)));
    if (paced) output->pacer_ = std::thread([raw = output.get()] { raw->Pace(); });
    return output;
}

WavMidiOutput::WavMidiOutput(std::string path, SynthEngineCache::Loan engine,
                             std::unique_ptr<WavFileWriter> writer, ClockTime opened, KeepFile keep, Closed closed)
    : path_(std::move(path)), engine_(std::move(engine)), writer_(std::move(writer)), opened_(opened),
      buffer_(kFramesPerRender * 2), keep_(std::move(keep)), onClosed_(std::move(closed)) {}

WavMidiOutput::~WavMidiOutput() { Close(); }

void WavMidiOutput::RenderUntilNow() {
    const auto elapsed = CurrentTimerService().Now() - opened_;
    const auto due = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count() *
        FluidSynthEngine::kSampleRate / 1000000);
    while (writer_->FramesWritten() < due) {
        const std::size_t frames = std::min<std::uint64_t>(kFramesPerRender, due - writer_->FramesWritten());
        const std::span<std::int16_t> chunk(buffer_.data(), frames * 2);
        engine_->Render(chunk);
        // A failed write is told at the close; the music goes on meanwhile.
        if (!writer_->Write(chunk)) return;
    }
}

void WavMidiOutput::Pace() {
    std::unique_lock lock(mutex_);
    while (!closed_) {
        RenderUntilNow();
        stop_.wait_for(lock, kPacingInterval);
    }
}

bool WavMidiOutput::SendShort(std::uint32_t packed) {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
    RenderUntilNow();
    return engine_->PlayShort(packed);
}

bool WavMidiOutput::SendLong(std::span<const std::uint8_t> message) {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
    RenderUntilNow();
    return engine_->PlayExclusive(message);
}

bool WavMidiOutput::Reset() {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
    RenderUntilNow();
    return engine_->AllNotesOff();
}

bool WavMidiOutput::Close() {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return false;
        RenderUntilNow();
        closed_ = true;
    }
    stop_.notify_all();
    if (pacer_.joinable()) pacer_.join();
    {
        // Nothing renders any more: the engine goes back for the next output.
        std::lock_guard lock(mutex_);
        engine_.Return();
    }
    const bool keep = !keep_ || keep_();
    const bool written = writer_->Finish(keep);
    {
        std::lock_guard lock(mutex_);
        if (keep && !written) problem_ = "The WAV file " + path_ + " could not be written: " + writer_->Problem();
    }
    if (onClosed_) onClosed_(written, keep ? writer_->Problem() : std::string());
    return written || !keep;
}

std::string WavMidiOutput::Problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

}  // namespace zamrit
