#include "platform/WavMidiOutput.h"

#include <algorithm>
#include <chrono>

#include "platform/TimerService.h"

namespace zamrit {
namespace {

constexpr std::size_t kFramesPerRender = 1024;
constexpr std::chrono::milliseconds kPacingInterval{20};

}  // namespace

std::unique_ptr<WavMidiOutput> WavMidiOutput::Open(const std::string& path, bool paced) {
    std::unique_ptr<FluidSynthEngine> engine = FluidSynthEngine::Create();
    if (engine == nullptr) return nullptr;
    std::unique_ptr<WavFileWriter> writer = WavFileWriter::Create(path, FluidSynthEngine::kSampleRate, 2);
    if (writer == nullptr) return nullptr;
    std::unique_ptr<WavMidiOutput> output(
        new WavMidiOutput(std::move(engine), std::move(writer), CurrentTimerService().Now()));
    if (paced) output->pacer_ = std::thread([raw = output.get()] { raw->Pace(); });
    return output;
}

WavMidiOutput::WavMidiOutput(std::unique_ptr<FluidSynthEngine> engine,
                             std::unique_ptr<WavFileWriter> writer, ClockTime opened)
    : engine_(std::move(engine)), writer_(std::move(writer)), opened_(opened),
      buffer_(kFramesPerRender * 2) {}

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
    return writer_->Finish();
}

}  // namespace zamrit
