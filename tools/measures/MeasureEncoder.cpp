#include "tools/measures/MeasureEncoder.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "tools/measures/MeasurePerformance.h"

namespace zamrit::measures {
namespace {

constexpr std::uint8_t kBankCommand = 0xE1;
constexpr std::uint8_t kVolumeCommand = 0xE2;
constexpr std::uint8_t kEndOfTrackCommand = 0xDF;

// One event of track 0 before the deltas are known: its tick, and what it writes.
struct TimedEvent {
    std::int32_t tick;
    int order;  // at one tick: commands before notes
    std::function<void(MFiEventWriter&, std::uint8_t delta)> write;
};

std::uint8_t Channel(std::size_t voice) { return static_cast<std::uint8_t>(voice); }

}  // namespace

MeasureEncoder::KeyCode MeasureEncoder::EncodeKey(std::int32_t midiKey) {
    // A melody key is key number + 45, moved by the octave code: 0 none, 1 up one octave,
    // 2 down two, 3 down one.
    if (midiKey >= 45 && midiKey <= 108) return {static_cast<std::uint8_t>(midiKey - 45), 0};
    if (midiKey >= 33 && midiKey < 45) return {static_cast<std::uint8_t>(midiKey - 33), 3};
    if (midiKey >= 21 && midiKey < 33) return {static_cast<std::uint8_t>(midiKey - 21), 2};
    return {static_cast<std::uint8_t>(std::clamp(midiKey - 57, 0, 63)), 1};
}

MFiWriter MeasureEncoder::Encode(const MeasureStyle& style, std::size_t bar, const Measure& written,
                                 std::string_view title) {
    const Measure measure = MeasurePerformance::Shape(style, bar, written);
    const std::vector<VolumeChange> dynamics = MeasurePerformance::Dynamics(style, bar);
    std::vector<TimedEvent> events;
    for (const TempoChange& change : MeasurePerformance::Tempo(style, bar)) {
        events.push_back({change.tick, 0, [&style, change](MFiEventWriter& w, std::uint8_t d) {
                              w.Tempo(d, style.tempoCode & 0x0F, change.beatsPerMinute);
                          }});
    }
    for (std::size_t voice = 0; voice < measure.voices.size(); ++voice) {
        const std::uint8_t channel = Channel(voice);
        const std::uint8_t program = style.programs[voice];
        events.push_back({0, 0, [=](MFiEventWriter& w, std::uint8_t d) {
                              w.Command(d, kBankCommand, static_cast<std::uint8_t>((channel << 6) | (program >> 6)));
                          }});
        events.push_back({0, 0, [=](MFiEventWriter& w, std::uint8_t d) { w.Program(d, channel, program & 0x3F); }});
        for (const VolumeChange& change : dynamics) {
            const std::uint8_t volume = change.volumes[voice];  // doubled on reading
            events.push_back({change.tick, 0, [=](MFiEventWriter& w, std::uint8_t d) {
                                  w.Command(d, kVolumeCommand, static_cast<std::uint8_t>((channel << 6) | volume));
                              }});
        }
        for (const NoteSpan& note : measure.voices[voice]) {
            const KeyCode code = EncodeKey(note.key);
            events.push_back({note.start, 1, [=](MFiEventWriter& w, std::uint8_t d) {
                                  w.Note(d, channel, code.key, static_cast<std::uint8_t>(note.gate),
                                         static_cast<std::uint8_t>(note.velocity), code.octave);
                              }});
        }
    }
    events.push_back({style.TicksPerBar(), 2, [](MFiEventWriter& w, std::uint8_t d) {
                          w.Command(d, kEndOfTrackCommand, 0);
                      }});
    std::stable_sort(events.begin(), events.end(), [](const TimedEvent& a, const TimedEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });

    MFiEventWriter track0;
    std::int32_t now = 0;
    for (const TimedEvent& event : events) {
        event.write(track0, static_cast<std::uint8_t>(event.tick - now));  // bars are < 256 ticks
        now = event.tick;
    }

    MFiWriter file(style.voiceType);
    file.Types(style.voiceType == 4 ? 1 : 2, 1, style.voiceType)
        .InfoText("titl", title)
        .InfoText("vers", "0200")
        .InfoText("copy", "Zamrit Music Dice Game");
    file.Track(track0);
    for (int empty = 1; empty < 4; ++empty) file.Track(MFiEventWriter());
    return file;
}

}  // namespace zamrit::measures
