#include "platform/RecordingMidiOutService.h"

#include <chrono>

#include "platform/ManualClock.h"
#include "platform/MidiLogLine.h"
#include "platform/MidiShortMessage.h"
#include "platform/TimerService.h"

namespace zamrit {

class RecordingMidiOutService::Device final : public MidiOutput {
public:
    explicit Device(std::shared_ptr<Record> record)
        : record_(std::move(record)), opened_(CurrentTimerService().Now()) {}

    bool SendShort(std::uint32_t packed) override {
        return Add(FormatMidiLogLine(Elapsed(), MidiShortMessage::Unpack(packed).Bytes()));
    }
    bool SendLong(std::span<const std::uint8_t> message) override {
        return Add(FormatMidiLogLine(Elapsed(), message));
    }
    bool Reset() override { return Add(FormatMidiLogLine(Elapsed(), "reset")); }
    bool Close() override { return Add(FormatMidiLogLine(Elapsed(), "close")); }

private:
    std::int64_t Elapsed() const {
        return std::chrono::duration_cast<std::chrono::microseconds>(CurrentTimerService().Now() - opened_)
            .count();
    }
    bool Add(std::string line) {
        std::lock_guard lock(record_->mutex);
        record_->lines.push_back(std::move(line));
        return true;
    }

    std::shared_ptr<Record> record_;
    ClockTime opened_;
};

RecordingMidiOutService::RecordingMidiOutService(std::uint32_t deviceCount) : deviceCount_(deviceCount) {}

void RecordingMidiOutService::RefuseOpen(std::int32_t id) {
    std::lock_guard lock(record_->mutex);
    refused_.insert(id);
}

std::uint32_t RecordingMidiOutService::DeviceCount() { return deviceCount_; }

std::unique_ptr<MidiOutput> RecordingMidiOutService::Open(std::int32_t id) {
    std::lock_guard lock(record_->mutex);
    record_->requests.push_back(id);
    const bool exists = id == kMidiMapper || (id >= 0 && static_cast<std::uint32_t>(id) < deviceCount_);
    if (!exists || refused_.count(id) != 0) return nullptr;
    record_->opened.push_back(id);
    return std::make_unique<Device>(record_);
}

std::vector<std::int32_t> RecordingMidiOutService::OpenRequests() const {
    std::lock_guard lock(record_->mutex);
    return record_->requests;
}

std::vector<std::int32_t> RecordingMidiOutService::OpenedDevices() const {
    std::lock_guard lock(record_->mutex);
    return record_->opened;
}

std::vector<std::string> RecordingMidiOutService::Lines() const {
    std::lock_guard lock(record_->mutex);
    return record_->lines;
}

std::vector<std::string> RecordingMidiOutService::Messages() const {
    std::vector<std::string> messages = Lines();
    for (std::string& line : messages) line.erase(0, line.find(' ') + 1);
    return messages;
}

}  // namespace zamrit
