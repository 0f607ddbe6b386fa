#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/MidiOutService.h"

namespace zamrit {

// A MIDI output service for tests: a chosen number of devices, some of which may refuse to
// open, each recording every call as a log line (microseconds since its open on the
// process-wide timer service's clock, then the bytes, or "reset" / "close").
class RecordingMidiOutService final : public MidiOutService {
public:
    explicit RecordingMidiOutService(std::uint32_t deviceCount = 1);

    // Opening `id` fails from now on.
    void RefuseOpen(std::int32_t id);

    std::uint32_t DeviceCount() override;
    std::unique_ptr<MidiOutput> Open(std::int32_t id) override;
    void ExplainOpenFailure() override { ++explanations_; }

    // How often the failure of the opens was to be explained.
    int Explanations() const { return explanations_; }

    // Every id asked for, in order, and the ids that opened.
    std::vector<std::int32_t> OpenRequests() const;
    std::vector<std::int32_t> OpenedDevices() const;
    // The lines of every device opened, in order.
    std::vector<std::string> Lines() const;
    // The same lines without their times.
    std::vector<std::string> Messages() const;

private:
    struct Record {
        mutable std::mutex mutex;
        std::vector<std::int32_t> requests;
        std::vector<std::int32_t> opened;
        std::vector<std::string> lines;
    };
    class Device;

    std::uint32_t deviceCount_;
    std::set<std::int32_t> refused_;
    std::atomic<int> explanations_{0};
    std::shared_ptr<Record> record_ = std::make_shared<Record>();
};

}  // namespace zamrit
