#include "platform/LogMidiOutput.h"

#include <cerrno>
#include <chrono>
#include <system_error>

#include "platform/MidiLogLine.h"
#include "platform/MidiShortMessage.h"
#include "platform/TimerService.h"

namespace zamrit {
namespace {

constexpr std::size_t kBatchBytes = 64 * 1024;
constexpr std::chrono::milliseconds kWriteEvery{100};

}  // namespace

std::unique_ptr<LogMidiOutput> LogMidiOutput::Open(const std::string& path, std::string* problem) {
    std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "w"));
    if (file == nullptr) {
        if (problem != nullptr) *problem = std::error_code(errno, std::generic_category()).message();
        return nullptr;
    }
    return std::unique_ptr<LogMidiOutput>(new LogMidiOutput(path, std::move(file)));
}

// The log's times count from the moment the output is ready, after its writer has started:
// starting a thread takes a few hundred microseconds, which would otherwise show in every
// time as a delay that the caller never had.
LogMidiOutput::LogMidiOutput(std::string path, std::unique_ptr<std::FILE, CloseFile> file)
    : path_(std::move(path)), file_(std::move(file)) {
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
    errno = 0;
    if (!lines.empty() && std::fwrite(lines.data(), 1, lines.size(), file_.get()) != lines.size()) Fail(errno);
    if (std::fflush(file_.get()) != 0) Fail(errno);
    return !failed_;
}

void LogMidiOutput::Fail(int error) {
    if (!failed_ && error != 0) why_ = std::error_code(error, std::generic_category()).message();
    failed_ = true;
}

std::string LogMidiOutput::Problem() const {
    std::lock_guard fileLock(fileMutex_);
    if (!failed_) return {};
    return "The log file " + path_ + " could not be written" + (why_.empty() ? std::string() : ": " + why_);
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
    errno = 0;
    if (std::fclose(file_.release()) != 0) Fail(errno);
    return !failed_ && written;
}

}  // namespace zamrit
