#include "midiseq/MidiStatus.h"

#include "melody/MidiEventKind.h"
#include "melody/ModuleReporter.h"
#include "melody/MusicConversions.h"
#include "melody/TickMath.h"
#include "midiseq/MidiF0Data.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 1> kTexts{{
    {0x37000002, "Time Sign is invalid!"},
}};

constexpr ModuleReporter kReporter{"MDSS", kTexts, "Error occured in MidiStatus"};


bool InTable(std::int32_t index, std::int32_t size) { return index >= 0 && index < size; }

MusicEvent ChannelEvent(std::int32_t kind, std::int32_t channel, std::int32_t code,
                        std::int32_t value) {
    MusicEvent event(0);
    event.kind = kind;
    event.channel = channel;
    event.code = code;
    event.value = value;
    return event;
}

}  // namespace

MidiStatus::MidiStatus() {
    programs.fill(kNotSeen);
    for (auto& bend : pitchBends) bend.fill(kNotSeen);
    for (auto& channel : controllers) channel.fill(kNotSeen);
}

void MidiStatus::Record(const MusicEvent& event) {
    if (event.kind == kMidiMeta) {
        if (event.code == MidiTrackData::kSetTempo) tempo = event.value;
        if (event.code == MidiTrackData::kTimeSignature) timeSignature = event.value;
        return;
    }
    if (!InTable(event.channel, kChannels)) return;
    switch (event.kind) {
    case kMidiControlChange:
        if (InTable(event.code, kControllers)) controllers[event.channel][event.code] = event.value;
        break;
    case kMidiProgramChange:
        programs[event.channel] = event.value;
        break;
    case kMidiPitchBend:
        pitchBends[event.channel] = {event.value, event.key};
        break;
    default:
        break;
    }
}

MidiStatus::StartPoint MidiStatus::CollectUntil(const MidiF0Data& sequence,
                                                std::int32_t startTick) {
    const MidiTrackData& track = *sequence.track;
    std::int64_t recordedTicks = 0;
    for (std::int32_t i = 0; i < track.count(); ++i) {
        const MusicEvent& event = track.At(i);
        if (recordedTicks + event.delta >= startTick) {
            return {i, ClampToInt32(recordedTicks)};
        }
        Record(event);
        recordedTicks += event.delta;
    }
    return {track.count(), ClampToInt32(recordedTicks)};
}

std::vector<MusicEvent> MidiStatus::MakeEvents() const {
    std::vector<MusicEvent> events;
    for (std::int32_t channel = 0; channel < kChannels; ++channel) {
        if (programs[channel] != kNotSeen) {
            events.push_back(ChannelEvent(kMidiProgramChange, channel, 0, programs[channel]));
        }
        if (pitchBends[channel][0] != kNotSeen) {
            MusicEvent bend = ChannelEvent(kMidiPitchBend, channel, 0, pitchBends[channel][0]);
            bend.key = pitchBends[channel][1];
            events.push_back(std::move(bend));
        }
        for (std::int32_t number = 0; number < kControllers; ++number) {
            if (controllers[channel][number] == kNotSeen) continue;
            events.push_back(
                ChannelEvent(kMidiControlChange, channel, number, controllers[channel][number]));
        }
    }
    if (tempo != kNotSeen) {
        events.push_back(MidiTrackData::MakeTempoEvent(tempo));
    }
    if (timeSignature != kNotSeen) {
        if (timeSignature == 0) ReportError(0x37000002);
        MusicEvent event(0);
        event.kind = kMidiMeta;
        event.code = MidiTrackData::kTimeSignature;
        event.value = timeSignature;
        event.SetData(MakeTimeSignatureData(timeSignature));
        events.push_back(std::move(event));
    }
    return events;
}

void MidiStatus::ReportError(ErrorCode code) { kReporter.Report(code); }

}  // namespace zamrit
