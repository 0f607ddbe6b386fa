#include "platform/MidiOutService.h"

#include <atomic>

#include "platform/SystemMidiOutService.h"

namespace zamrit {
namespace {

std::atomic<MidiOutService*> installedService{nullptr};

}  // namespace

SystemMidiOutService& SystemMidiOutputs() {
    static SystemMidiOutService service;
    return service;
}

void InstallMidiOutService(MidiOutService* service) { installedService.store(service); }

MidiOutService& CurrentMidiOutService() {
    MidiOutService* service = installedService.load();
    return service != nullptr ? *service : SystemMidiOutputs();
}

ScopedMidiOutService::ScopedMidiOutService(MidiOutService& service)
    : previous_(installedService.load()) {
    InstallMidiOutService(&service);
}

ScopedMidiOutService::~ScopedMidiOutService() { InstallMidiOutService(previous_); }

}  // namespace zamrit
