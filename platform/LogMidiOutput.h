#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "platform/ManualClock.h"
#include "platform/MidiOutput.h"

namespace zamrit {

// Writes every call as a timestamped line to a file: for tests, timing measurements and
// anyone debugging a device. Times come from the process-wide timer service's clock.
class LogMidiOutput final : public MidiOutput {
public:
    // nullptr when the file can not be created.
    static std::unique_ptr<LogMidiOutput> Open(const std::string& path);
    ~LogMidiOutput() override;

    bool SendShort(std::uint32_t packed) override;
    bool SendLong(std::span<const std::uint8_t> message) override;
    bool Reset() override;
    bool Close() override;

private:
    struct CloseFile {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    LogMidiOutput(std::unique_ptr<std::FILE, CloseFile> file, ClockTime opened);
    bool Write(const std::string& line);
    std::int64_t MicrosecondsSinceOpen() const;

    std::mutex mutex_;
    std::unique_ptr<std::FILE, CloseFile> file_;
    const ClockTime opened_;
};

}  // namespace zamrit
