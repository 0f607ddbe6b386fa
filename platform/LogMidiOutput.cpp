#include "platform/LogMidiOutput.h"

#include <chrono>

#include "platform/MidiLogLine.h"
#include "platform/MidiShortMessage.h"
#include "platform/TimerService.h"

namespace zamrit {
namespace {

constexpr std::size_t kBatchBytes = 64 * 1024;
constexpr std::chrono::milliseconds kWriteEvery{100};

}  // namespace

std::unique_ptr<LogMidiOutput> LogMidiOutput::Open(const std::string& path) {
    std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "w"));
    if (file == nullptr) return nullptr;
    return std::unique_ptr<LogMidiOutput>(new LogMidiOutput(std::move(file)));
}

// The log's times count from the moment the output is ready, after its writer has started:
// starting a thread takes a few hundred microseconds, which would otherwise show in every
// time as a delay that the caller never had.
LogMidiOutput::LogMidiOutput(std::unique_ptr<std::FILE, CloseFile> file) : file_(std::move(file)) {
    batch_.reserve(kBatchBytes);
    writer_ = std::thread([this] { WriteInBatches(); });
    opened_ = CurrentTimerService().Now();
}

LogMidiOutput::~LogMidiOutput() {
    StopWriter();
    WriteOut();
}

std::int64_t LogMidiOutput::MicrosecondsSinceOpen() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(CurrentTimerService().Now() - opened_)
        .count();
}

bool LogMidiOutput::Append(const std::string& line) {
    std::lock_guard lock(batchMutex_);
    if (stopping_) return false;
    batch_.append(line).push_back('\n');
    if (batch_.size() >= kBatchBytes) batchGrew_.notify_one();
    return true;
}

bool LogMidiOutput::WriteOut() {
    std::lock_guard fileLock(fileMutex_);
    std::string lines;
    {
        std::lock_guard lock(batchMutex_);
        lines.swap(batch_);
        batch_.reserve(kBatchBytes);
    }
    if (file_ == nullptr) return lines.empty();
    if (!lines.empty() && std::fwrite(lines.data(), 1, lines.size(), file_.get()) != lines.size()) failed_ = true;
    if (std::fflush(file_.get()) != 0) failed_ = true;
    return !failed_;
}

void LogMidiOutput::WriteInBatches() {
    for (;;) {
        {
            std::unique_lock lock(batchMutex_);
            batchGrew_.wait_for(lock, kWriteEvery, [this] { return stopping_ || batch_.size() >= kBatchBytes; });
            if (stopping_) return;
        }
        WriteOut();
    }
}

void LogMidiOutput::StopWriter() {
    {
        std::lock_guard lock(batchMutex_);
        stopping_ = true;
    }
    batchGrew_.notify_one();
    if (writer_.joinable()) writer_.join();
}

bool LogMidiOutput::SendShort(std::uint32_t packed) {
    return Append(FormatMidiLogLine(MicrosecondsSinceOpen(), MidiShortMessage::Unpack(packed).Bytes()));
}

bool LogMidiOutput::SendLong(std::span<const std::uint8_t> message) {
    return Append(FormatMidiLogLine(MicrosecondsSinceOpen(), message));
}

bool LogMidiOutput::Reset() {
    return Append(FormatMidiLogLine(MicrosecondsSinceOpen(), "reset")) && WriteOut();
}

bool LogMidiOutput::Close() {
    if (!Append(FormatMidiLogLine(MicrosecondsSinceOpen(), "close"))) return false;
    StopWriter();
    const bool written = WriteOut();
    std::lock_guard fileLock(fileMutex_);
    return std::fclose(file_.release()) == 0 && written;
}

}  // namespace zamrit
