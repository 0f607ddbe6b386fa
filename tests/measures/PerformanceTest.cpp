// The performance written into the measure files, measured where it is heard: in the ready
// sequence of thrown pieces, composed from the files as the game composes them.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Composition.h"
#include "app/DiceState.h"
#include "app/RuntimeRandom.h"
#include "melody/MidiEventKind.h"
#include "melody/MobileData.h"
#include "mfi/MFiData.h"
#include "midiseq/MidiF0Data.h"
#include "support/RecordedReports.h"
#include "support/ScopedWorkingFolder.h"

namespace zamrit {
namespace {

constexpr std::int32_t kBeat = 96;  // ticks per quarter note of the ready sequence
constexpr std::int32_t kVolumeController = 7;
constexpr std::int32_t kMelodyChannel = 0;

// The synthesizer's curve for volume and velocity alike: 40·log10(value / 127) dB.
double LevelDb(double value) { return 40.0 * std::log10(value / 127.0); }

// What a form is, in playing order: its bars, the bars that end a phrase (the last one
// excluded, which ends the piece), its tempo, and the bars of each articulation.
struct Form {
    PieceForm form;
    std::string name;
    std::int32_t bars;
    std::int32_t beatsPerBar;
    std::int32_t beatsPerMinute;
    std::set<std::int32_t> phraseEnds;
    std::int32_t secondSectionFrom;  // first bar of the trio, of the dance's second part
    // Melody gates against their spacing, per section (first, second): at least, at most.
    std::array<double, 2> gateAtLeast;
    std::array<double, 2> gateAtMost;
};

const std::vector<Form>& Forms() {
    static const std::vector<Form> forms{
        {PieceForm::MinuetTrio, "minuet", 32, 3, 120, {4, 8, 12, 16, 20, 24, 28}, 17, {0.70, 0.90}, {0.90, 1.0}},
        {PieceForm::Dance, "dance", 24, 2, 132, {4, 8, 12, 16, 20}, 17, {0.0, 0.0}, {0.70, 0.70}},
    };
    return forms;
}

struct MelodyNote {
    std::int64_t start;
    std::int64_t end;
    std::int32_t velocity;
};

// One bar as played: its length and its beats' in microseconds, the melody's volume and notes.
struct PlayedBar {
    double micros = 0;
    std::vector<double> beatMicros;
    std::int32_t melodyVolume = 0;       // on the downbeat
    std::vector<std::int32_t> laterVolumes;  // set inside the bar
    std::vector<MelodyNote> melody;  // start and end in ticks from the bar's downbeat

    // The melody's level: its channel volume and the mean level of its notes' velocities.
    double LevelDb() const {
        double velocities = 0;
        for (const MelodyNote& note : melody) velocities += zamrit::LevelDb(note.velocity);
        return zamrit::LevelDb(melodyVolume) + velocities / static_cast<double>(std::max<std::size_t>(melody.size(), 1));
    }
};

std::unique_ptr<MidiF0Data> ReadySequence(PieceForm form, std::uint32_t seed) {
    RuntimeRandom random(seed);
    DiceState dice;
    dice.Throw(form, random);
    MFiData piece(4, 0x60000);
    if (form == PieceForm::MinuetTrio) {
        ComposeMinuetTrio(dice.firstDie, dice.secondDie, piece);
    } else {
        ComposeDance(dice.firstDie, dice.secondDie, piece);
    }
    MobileData melody(0x60000);
    piece.ToMobileData(melody);
    return melody.MakeSequence(0, melody.MeasureLength() * melody.MeasureCount());
}

// Microseconds from the start to each tick, by the sequence's own tempo events.
class TempoMap {
public:
    explicit TempoMap(const MidiTrackData& track) {
        std::int64_t tick = 0;
        for (const auto& event : track.Events()) {
            tick += event.delta;
            if (event.kind == kMidiMeta && event.code == MidiTrackData::kSetTempo) changes_[tick] = event.value;
        }
    }
    double MicrosAt(std::int64_t tick) const {
        double micros = 0;
        std::int64_t from = 0;
        std::int32_t tempo = MidiTrackData::kDefaultTempo;
        for (const auto& [at, value] : changes_) {
            if (at >= tick) break;
            micros += static_cast<double>(at - from) * tempo / kBeat;
            from = at;
            tempo = value;
        }
        return micros + static_cast<double>(tick - from) * tempo / kBeat;
    }

private:
    std::map<std::int64_t, std::int32_t> changes_;
};

std::vector<PlayedBar> Played(const Form& form, std::uint32_t seed) {
    const auto sequence = ReadySequence(form.form, seed);
    std::vector<PlayedBar> bars(static_cast<std::size_t>(form.bars));
    if (sequence == nullptr) return {};
    const std::int64_t barTicks = std::int64_t{kBeat} * form.beatsPerBar;
    const TempoMap tempo(*sequence->track);
    for (std::size_t b = 0; b < bars.size(); ++b) {
        const std::int64_t start = static_cast<std::int64_t>(b) * barTicks;
        bars[b].micros = tempo.MicrosAt(start + barTicks) - tempo.MicrosAt(start);
        for (std::int64_t beat = start; beat < start + barTicks; beat += kBeat) {
            bars[b].beatMicros.push_back(tempo.MicrosAt(beat + kBeat) - tempo.MicrosAt(beat));
        }
    }
    std::int64_t tick = 0;
    std::map<std::int32_t, std::pair<std::size_t, std::size_t>> sounding;  // key: bar, note
    for (const auto& event : sequence->track->Events()) {
        tick += event.delta;
        if (event.channel != kMelodyChannel) continue;
        const auto bar = static_cast<std::size_t>(tick / barTicks);
        if (bar >= bars.size()) continue;
        const std::int64_t inBar = tick - static_cast<std::int64_t>(bar) * barTicks;
        if (event.kind == kMidiControlChange && event.code == kVolumeController) {
            if (inBar == 0) {
                bars[bar].melodyVolume = event.value;
            } else {
                bars[bar].laterVolumes.push_back(event.value);
            }
        } else if (event.kind == kMidiNoteOn) {
            sounding[event.key] = {bar, bars[bar].melody.size()};
            bars[bar].melody.push_back({inBar, inBar, event.velocity});
        } else if (event.kind == kMidiNoteOff && sounding.count(event.key)) {
            const auto [onBar, note] = sounding[event.key];
            bars[onBar].melody[note].end = tick - static_cast<std::int64_t>(onBar) * barTicks;
            sounding.erase(event.key);
        }
    }
    return bars;
}

// Eight throws of each form, played once for all the tests.
class PerformanceTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kSeeds[] = {1, 2, 3, 7, 42, 99, 2026, 65535};

    static const std::vector<std::vector<PlayedBar>>& Pieces(const Form& form) {
        static std::map<std::string, std::vector<std::vector<PlayedBar>>> pieces;
        auto& played = pieces[form.name];
        if (played.empty()) {
            const testing::ScopedWorkingFolder inMeasures(ZAMRIT_MEASURE_DIR);
            const testing::RecordedReports reports;
            for (const std::uint32_t seed : kSeeds) played.push_back(Played(form, seed));
            EXPECT_TRUE(reports.Lines().empty());
        }
        return played;
    }
};

TEST_F(PerformanceTest, PhrasesAndSectionsAreShapedInLevelAndDownbeatsAccented) {
    for (const Form& form : Forms()) {
        double narrowestRange = 1e9;
        double weakestAccent = 1e9;
        double strongestAccent = 0;
        for (std::size_t piece = 0; piece < Pieces(form).size(); ++piece) {
            const std::vector<PlayedBar>& bars = Pieces(form)[piece];
            ASSERT_EQ(bars.size(), static_cast<std::size_t>(form.bars));
            SCOPED_TRACE(form.name + " seed " + std::to_string(kSeeds[piece]));
            double lowest = 1e9;
            double highest = -1e9;
            std::array<double, 2> sectionLevel{};
            for (std::size_t b = 0; b < bars.size(); ++b) {
                const PlayedBar& bar = bars[b];
                ASSERT_FALSE(bar.melody.empty()) << "bar " << b + 1;
                ASSERT_GT(bar.melodyVolume, 0) << "bar " << b + 1 << " sets no volume on its downbeat";
                lowest = std::min(lowest, bar.LevelDb());
                highest = std::max(highest, bar.LevelDb());
                sectionLevel[static_cast<std::int32_t>(b) + 1 >= form.secondSectionFrom] += LevelDb(bar.melodyVolume);
                // The downbeat's note over the bar's other melody notes.
                if (bar.melody.front().start == 0 && bar.melody.size() > 1) {
                    double others = 0;
                    for (std::size_t n = 1; n < bar.melody.size(); ++n) others += LevelDb(bar.melody[n].velocity);
                    const double accent =
                        LevelDb(bar.melody.front().velocity) - others / static_cast<double>(bar.melody.size() - 1);
                    weakestAccent = std::min(weakestAccent, accent);
                    strongestAccent = std::max(strongestAccent, accent);
                    EXPECT_GE(accent, 1.0) << "bar " << b + 1;
                    EXPECT_LE(accent, 4.0) << "bar " << b + 1;
                }
                // Inside a phrase a bar moves towards the next bar's level; a phrase's end holds.
                for (const std::int32_t volume : bar.laterVolumes) {
                    const bool endsPhrase = b % 4 == 3;
                    ASSERT_FALSE(endsPhrase || b + 1 == bars.size()) << "bar " << b + 1 << " changes its level";
                    EXPECT_GE(volume, std::min(bar.melodyVolume, bars[b + 1].melodyVolume)) << "bar " << b + 1;
                    EXPECT_LE(volume, std::max(bar.melodyVolume, bars[b + 1].melodyVolume)) << "bar " << b + 1;
                }
                // A phrase rises from its start and falls away at its end.
                if (b % 4 == 3) {
                    const double start = LevelDb(bars[b - 3].melodyVolume);
                    const double end = LevelDb(bar.melodyVolume);
                    double peak = -1e9;
                    for (std::size_t p = b - 3; p <= b; ++p) peak = std::max(peak, LevelDb(bars[p].melodyVolume));
                    EXPECT_GE(peak - start, 1.5) << "the phrase ending in bar " << b + 1 << " does not rise";
                    EXPECT_GE(peak - end, 1.0) << "the phrase ending in bar " << b + 1 << " does not fall away";
                }
            }
            narrowestRange = std::min(narrowestRange, highest - lowest);
            EXPECT_GE(highest - lowest, 6.0) << "the melody's level per bar";
            const double firstBars = static_cast<double>(form.secondSectionFrom - 1);
            EXPECT_GE(std::abs(sectionLevel[0] / firstBars - sectionLevel[1] / (form.bars - firstBars)), 1.0)
                << "the sections' dynamics do not contrast";
        }
        std::cout << form.name << ": melody level range per piece at least " << narrowestRange
                  << " dB, downbeat accents " << weakestAccent << " to " << strongestAccent << " dB" << std::endl;
    }
}

TEST_F(PerformanceTest, PhraseEndsBroadenAndThePieceSlowsIntoItsLastBar) {
    for (const Form& form : Forms()) {
        const double beatMicros = static_cast<double>(60'000'000 / form.beatsPerMinute);
        const double inTempo = beatMicros * form.beatsPerBar;
        for (std::size_t piece = 0; piece < Pieces(form).size(); ++piece) {
            const std::vector<PlayedBar>& bars = Pieces(form)[piece];
            ASSERT_EQ(bars.size(), static_cast<std::size_t>(form.bars));
            SCOPED_TRACE(form.name + " seed " + std::to_string(kSeeds[piece]));
            for (std::int32_t bar = 1; bar < form.bars; ++bar) {
                const double stretch = bars[static_cast<std::size_t>(bar - 1)].micros / inTempo;
                if (form.phraseEnds.count(bar)) {
                    EXPECT_GE(stretch, 1.02) << "bar " << bar;
                    EXPECT_LE(stretch, 1.08) << "bar " << bar;
                } else {
                    EXPECT_NEAR(stretch, 1.0, 1e-9) << "bar " << bar << " is not in tempo";
                }
            }
            const PlayedBar& last = bars.back();
            if (piece == 0) {
                std::cout << form.name << ": last bar " << last.micros / inTempo << " of a bar in tempo, beats";
                for (const double beat : last.beatMicros) std::cout << " " << beat / beatMicros;
                std::cout << std::endl;
            }
            EXPECT_GE(last.micros / inTempo, 1.15);
            EXPECT_LE(last.micros / inTempo, 1.40);
            EXPECT_GT(last.beatMicros.front(), beatMicros * 0.999) << "the last bar's first beat hurries";
            for (std::size_t beat = 1; beat < last.beatMicros.size(); ++beat) {
                EXPECT_GT(last.beatMicros[beat], last.beatMicros[beat - 1]) << "beat " << beat + 1 << " of the last bar";
            }
        }
    }
}

TEST_F(PerformanceTest, MelodyArticulationFitsEachSectionAndPhrasesBreathe) {
    for (const Form& form : Forms()) {
        const std::int64_t barTicks = std::int64_t{kBeat} * form.beatsPerBar;
        for (std::size_t piece = 0; piece < Pieces(form).size(); ++piece) {
            const std::vector<PlayedBar>& bars = Pieces(form)[piece];
            ASSERT_EQ(bars.size(), static_cast<std::size_t>(form.bars));
            SCOPED_TRACE(form.name + " seed " + std::to_string(kSeeds[piece]));
            for (std::int32_t bar = 1; bar <= form.bars; ++bar) {
                const std::vector<MelodyNote>& notes = bars[static_cast<std::size_t>(bar - 1)].melody;
                const auto section = static_cast<std::size_t>(bar >= form.secondSectionFrom);
                const bool breathes = form.phraseEnds.count(bar) > 0;
                for (std::size_t n = 0; n < notes.size(); ++n) {
                    const bool last = n + 1 == notes.size();
                    if (last && breathes) {
                        EXPECT_LE(notes[n].end, barTicks - kBeat / 4) << "no breath after bar " << bar;
                        continue;
                    }
                    const std::int64_t next = last ? barTicks : notes[n + 1].start;
                    const double gate = static_cast<double>(notes[n].end - notes[n].start) /
                                        static_cast<double>(next - notes[n].start);
                    // The last note of a bar whose figure ends in a rest is measured to the bar line.
                    if (last && notes[n].end < barTicks - kBeat) continue;
                    EXPECT_GE(gate, form.gateAtLeast[section]) << "bar " << bar << " note " << n + 1;
                    EXPECT_LE(gate, form.gateAtMost[section]) << "bar " << bar << " note " << n + 1;
                }
            }
        }
    }
}

}  // namespace
}  // namespace zamrit
