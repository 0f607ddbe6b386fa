#pragma once

#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/ManualClock.h"
#include "platform/MidiOutput.h"

namespace zamrit {

// Writes every call as a timestamped line to a file: for tests, timing measurements and
// anyone debugging a device. Times come from the process-wide timer service's clock.
//
// Lines are sent from the timer thread, which must not wait for the disk: a call only appends
// its line to a small batch in memory, and a writer thread of its own writes the batch out
// every 100 ms or once it holds 64 kB, so a long performance is never held in memory whole.
// Reset and Close write out everything sent before them and flush the file.
class LogMidiOutput final : public MidiOutput {
public:
    // nullptr when the file can not be created.
    // nullptr, with the reason in `problem` when one is given, when the file can not be created.
    static std::unique_ptr<LogMidiOutput> Open(const std::string& path, std::string* problem = nullptr);
    ~LogMidiOutput() override;

    bool SendShort(std::uint32_t packed) override;
    bool SendLong(std::span<const std::uint8_t> message) override;
    bool Reset() override;
    bool Close() override;
    std::string Problem() const override;

private:
    struct CloseFile {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    LogMidiOutput(std::string path, std::unique_ptr<std::FILE, CloseFile> file);
    void Fail(int error);  // under fileMutex_
    bool Append(const std::string& line);
    // Writes the batch out and flushes the file; false when the file refused either.
    bool WriteOut();
    void WriteInBatches();
    void StopWriter();
    std::int64_t MicrosecondsSinceOpen() const;

    const std::string path_;
    mutable std::mutex fileMutex_;  // the file; taken before batchMutex_ when both are held
    std::unique_ptr<std::FILE, CloseFile> file_;
    bool failed_ = false;    // a write or flush of the file failed (under fileMutex_)
    std::string why_;        // the system's words for the first failure (under fileMutex_)
    std::mutex batchMutex_;  // the batch, and whether the writer is to stop
    std::condition_variable batchGrew_;
    std::string batch_;
    bool stopping_ = false;
    ClockTime opened_{};  // set once, before any caller can send
    std::thread writer_;
};

}  // namespace zamrit
