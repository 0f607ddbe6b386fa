#pragma once

#include <cstdint>
#include <memory>

#include "platform/MidiOutput.h"

namespace zamrit {

// The system's MIDI output service: how many output devices there are and opening one of
// them. Id -1 is the MIDI mapper, the output the user has chosen for the whole desktop.
class MidiOutService {
public:
    static constexpr std::int32_t kMidiMapper = -1;

    MidiOutService() = default;
    MidiOutService(const MidiOutService&) = delete;
    MidiOutService& operator=(const MidiOutService&) = delete;
    virtual ~MidiOutService() = default;

    virtual std::uint32_t DeviceCount() = 0;
    // The open device, or nullptr when it can not be opened.
    virtual std::unique_ptr<MidiOutput> Open(std::int32_t id) = 0;
    // Called when no device could be opened: tells the user which outputs the failed opens
    // tried, why each failed and how to choose another. Nothing by default.
    virtual void ExplainOpenFailure() {}
};

// The process-wide service: the system's outputs until another is installed.
void InstallMidiOutService(MidiOutService* service);
MidiOutService& CurrentMidiOutService();

// Installs a service for the lifetime of this object and restores the previous one.
class ScopedMidiOutService {
public:
    explicit ScopedMidiOutService(MidiOutService& service);
    ScopedMidiOutService(const ScopedMidiOutService&) = delete;
    ScopedMidiOutService& operator=(const ScopedMidiOutService&) = delete;
    ~ScopedMidiOutService();

private:
    MidiOutService* previous_;
};

}  // namespace zamrit
