#include "platform/LogMidiOutput.h"

#include <chrono>

#include "platform/MidiLogLine.h"
#include "platform/MidiShortMessage.h"
#include "platform/TimerService.h"

namespace zamrit {
namespace {

constexpr std::size_t kBufferBytes = 1 << 20;

}  // namespace

std::unique_ptr<LogMidiOutput> LogMidiOutput::Open(const std::string& path) {
    std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "w"));
    if (file == nullptr) return nullptr;
    // Lines are sent from the timer thread: a large buffer keeps the disk out of the firings
    // until the reset flushes it.
    std::setvbuf(file.get(), nullptr, _IOFBF, kBufferBytes);
    return std::unique_ptr<LogMidiOutput>(
        new LogMidiOutput(std::move(file), CurrentTimerService().Now()));
}

LogMidiOutput::LogMidiOutput(std::unique_ptr<std::FILE, CloseFile> file, ClockTime opened)
    : file_(std::move(file)), opened_(opened) {}

LogMidiOutput::~LogMidiOutput() = default;

std::int64_t LogMidiOutput::MicrosecondsSinceOpen() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(CurrentTimerService().Now() - opened_)
        .count();
}

bool LogMidiOutput::Write(const std::string& line) {
    std::lock_guard lock(mutex_);
    if (file_ == nullptr) return false;
    return std::fprintf(file_.get(), "%s\n", line.c_str()) > 0;
}

bool LogMidiOutput::SendShort(std::uint32_t packed) {
    return Write(FormatMidiLogLine(MicrosecondsSinceOpen(), MidiShortMessage::Unpack(packed).Bytes()));
}

bool LogMidiOutput::SendLong(std::span<const std::uint8_t> message) {
    return Write(FormatMidiLogLine(MicrosecondsSinceOpen(), message));
}

bool LogMidiOutput::Reset() {
    const bool written = Write(FormatMidiLogLine(MicrosecondsSinceOpen(), "reset"));
    std::lock_guard lock(mutex_);
    return written && file_ != nullptr && std::fflush(file_.get()) == 0;
}

bool LogMidiOutput::Close() {
    if (!Write(FormatMidiLogLine(MicrosecondsSinceOpen(), "close"))) return false;
    std::lock_guard lock(mutex_);
    return std::fclose(file_.release()) == 0;
}

}  // namespace zamrit
