// The part writing of the generated measure files, read through the library as the game reads
// them: every file on its own, and every pair of files that can follow each other in a piece.
#include <algorithm>
#include <compare>
#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/MeasureOrder.h"
#include "melody/MobileCommand.h"
#include "melody/MobileTrackData.h"
#include "mfi/MFiData.h"
#include "mfi/MFiTrack.h"
#include "support/RecordedReports.h"
#include "support/ScopedWorkingFolder.h"
#include "tools/measures/Counterpoint.h"

namespace zamrit {
namespace {

using measures::Counterpoint;
using measures::Fault;
using measures::FaultKind;
using measures::Passage;

constexpr std::int32_t kBeat = 96;  // ticks per quarter note after loading

std::int32_t PitchClass(std::int32_t key) { return ((key % 12) + 12) % 12; }

// What the test knows of each part: metre, the keys it cadences in, and its phrase ends.
struct Part {
    std::string prefix;
    std::int32_t bars;
    std::int32_t beatsPerBar;
    std::int32_t tonic;                // pitch class
    std::vector<std::int32_t> tonics;  // pitch classes of the keys it closes in
    std::set<std::int32_t> phraseEnds;
    std::int32_t finalBar;             // 0: the part does not end the piece
};

const std::vector<Part>& Parts() {
    static const std::vector<Part> parts{
        {"MN", 16, 3, 0, {0, 7}, {4, 8, 12, 16}, 16},
        {"TR", 16, 3, 5, {5, 0}, {4, 8, 12, 16}, 16},
        {"DA", 8, 2, 7, {7, 2}, {4, 8}, 0},
        {"DB", 8, 2, 7, {7}, {4, 8}, 8},
    };
    return parts;
}

struct Note {
    std::int32_t start;
    std::int32_t gate;
    std::int32_t key;
    auto operator<=>(const Note&) const = default;
};

// One measure file as loaded: its notes by channel (melody, bass, inner voice).
struct LoadedMeasure {
    std::string name;
    std::vector<std::vector<Note>> voices;
    Passage passage;
};

LoadedMeasure Load(const std::string& name, const Part& part) {
    LoadedMeasure measure{name, std::vector<std::vector<Note>>(3), {}};
    const MFiData file(name, 4);
    std::int32_t now = 0;
    for (const auto& event : file.GetTrack(0)->trackData->Events()) {
        now += event.delta;
        if (event.kind == kNoteEvent && event.channel >= 0 && event.channel < 3) {
            measure.voices[static_cast<std::size_t>(event.channel)].push_back({now, event.duration, event.key});
        }
    }
    std::vector<std::vector<Counterpoint::Onset>> onsets;
    for (const auto& voice : measure.voices) {
        onsets.emplace_back();
        for (const Note& note : voice) onsets.back().push_back({note.start, note.gate, note.key});
    }
    measure.passage = Counterpoint::Bar(onsets, kBeat, kBeat * part.beatsPerBar, part.tonics);
    return measure;
}

std::string FileName(const std::string& prefix, std::int32_t sum, std::int32_t bar) {
    return MeasureFileName(prefix + "_00_00.dat", sum, prefix == "TR" ? bar + 16 : bar);
}

// Every bar a bar of the part can be followed by in a thrown piece.
std::vector<std::pair<std::size_t, std::int32_t>> Following(std::size_t part, std::int32_t bar) {
    if (bar < Parts()[part].bars) return {{part, bar + 1}};
    if (Parts()[part].prefix == "MN") return {{1, 1}};           // minuet into trio
    if (Parts()[part].prefix == "DA") return {{2, 1}, {3, 1}};   // the repeat, and on
    return {};
}

class PartWritingTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::size_t p = 0; p < Parts().size(); ++p) {
            const Part& part = Parts()[p];
            const std::int32_t firstSum = part.prefix == "TR" ? 1 : 2;
            const std::int32_t lastSum = part.prefix == "TR" ? 6 : 12;
            for (std::int32_t bar = 1; bar <= part.bars; ++bar) {
                for (std::int32_t sum = firstSum; sum <= lastSum; ++sum) {
                    measures_[{p, bar}].push_back(Load(FileName(part.prefix, sum, bar), part));
                }
            }
        }
    }
    testing::ScopedWorkingFolder inMeasures_{ZAMRIT_MEASURE_DIR};
    std::map<std::pair<std::size_t, std::int32_t>, std::vector<LoadedMeasure>> measures_;
    testing::RecordedReports reports_;
};

std::string Describe(const std::vector<Fault>& faults) {
    std::string text;
    for (const Fault& fault : faults) {
        text += " kind " + std::to_string(static_cast<int>(fault.kind)) + " at " + std::to_string(fault.tick) +
                " voices " + std::to_string(fault.voice) + "/" + std::to_string(fault.otherVoice);
    }
    return text;
}

TEST_F(PartWritingTest, EveryMeasureAndEveryJunctionKeepsTheRules) {
    std::int32_t pairs = 0;
    std::int32_t directPairs = 0;
    std::int32_t melodySteps = 0;
    std::int32_t finalPairs = 0;
    std::int32_t faultyPairs = 0;
    std::int32_t arrivals = 0;
    for (const auto& [position, alternatives] : measures_) {
        const Part& part = Parts()[position.first];
        const std::int32_t barTicks = kBeat * part.beatsPerBar;
        for (const LoadedMeasure& measure : alternatives) {
            EXPECT_TRUE(Counterpoint::Check(measure.passage).empty())
                << measure.name << Describe(Counterpoint::Check(measure.passage));
            if (part.phraseEnds.count(position.second)) {
                // An arrival: the melody's last note holds for two beats or more (a whole 2/4
                // bar), or the melody is silent through the last beat.
                const Note& last = measure.voices[0].back();
                const bool held = last.start <= barTicks - 2 * kBeat;
                const bool rests = last.start + last.gate <= barTicks - kBeat;
                EXPECT_TRUE(held || rests) << measure.name << " has no arrival";
                ++arrivals;
            }
        }
        for (const auto& next : Following(position.first, position.second)) {
            const Part& nextPart = Parts()[next.first];
            const bool final = nextPart.finalBar == next.second;
            for (const LoadedMeasure& first : alternatives) {
                for (const LoadedMeasure& second : measures_.at(next)) {
                    ++pairs;
                    const std::vector<Fault> faults =
                        Counterpoint::Check(Counterpoint::Join(first.passage, second.passage));
                    const auto direct = std::count_if(faults.begin(), faults.end(), [](const Fault& f) {
                        return f.kind == FaultKind::DirectIntoDownbeat;
                    });
                    directPairs += direct > 0;
                    if (static_cast<std::size_t>(direct) != faults.size()) {
                        ++faultyPairs;
                        ADD_FAILURE() << first.name << " -> " << second.name << Describe(faults);
                    }
                    const std::int32_t from = first.voices[0].back().key;
                    const std::int32_t to = second.voices[0].front().key;
                    melodySteps += std::abs(to - from) <= 2;
                    if (final) {
                        ++finalPairs;
                        // A perfect authentic cadence: root-position dominant with its leading
                        // tone, root-position tonic, the melody stepping onto the tonic.
                        const std::int32_t tonic = nextPart.tonic;
                        const bool dominantBass = PitchClass(first.voices[1].back().key) == PitchClass(tonic + 7);
                        const bool tonicBass = PitchClass(second.voices[1].front().key) == tonic;
                        bool leadingTone = false;
                        for (const auto& voice : first.voices) {
                            for (const Note& note : voice) {
                                if (note.start + note.gate > barTicks - kBeat &&
                                    PitchClass(note.key) == PitchClass(tonic + 11)) {
                                    leadingTone = true;
                                }
                            }
                        }
                        EXPECT_TRUE(dominantBass && tonicBass && leadingTone && PitchClass(to) == tonic &&
                                    std::abs(to - from) <= 2 && to != from)
                            << first.name << " -> " << second.name << " is no perfect authentic cadence";
                    }
                }
            }
        }
    }
    EXPECT_EQ(faultyPairs, 0);
    EXPECT_LE(directPairs * 100, pairs * 5) << "direct fifths or octaves into the downbeat";
    EXPECT_GE(melodySteps * 100, pairs * 60) << "the melody moves by step at the bar line";
    EXPECT_TRUE(reports_.Lines().empty());
    std::cout << "part writing: " << measures_.size() << " bars, " << pairs << " junction pairs, "
              << faultyPairs << " with faults, direct fifths/octaves " << 100.0 * directPairs / pairs
              << " %, melody by step at the bar line " << 100.0 * melodySteps / pairs << " %, "
              << finalPairs << " final cadences, " << arrivals << " phrase ends" << std::endl;
}

// The rhythm of the bass and inner voice, and the melody's rhythm and intervals.
std::vector<std::int32_t> AccompanimentRhythm(const LoadedMeasure& measure) {
    std::vector<std::int32_t> rhythm;
    for (std::size_t voice = 1; voice < measure.voices.size(); ++voice) {
        for (const Note& note : measure.voices[voice]) rhythm.push_back(note.start);
        rhythm.push_back(-1);
    }
    return rhythm;
}

std::vector<std::int32_t> MelodicFigure(const LoadedMeasure& measure) {
    std::vector<std::int32_t> figure;
    const auto& melody = measure.voices[0];
    for (std::size_t i = 0; i < melody.size(); ++i) {
        figure.push_back(melody[i].start);
        if (i > 0) figure.push_back(melody[i].key - melody[i - 1].key);
    }
    return figure;
}

TEST_F(PartWritingTest, BarsOfferVariedMeasures) {
    std::set<std::vector<std::int32_t>> minuetFigures;
    for (const auto& [position, alternatives] : measures_) {
        const Part& part = Parts()[position.first];
        std::set<std::vector<std::vector<Note>>> distinct;
        std::set<std::vector<std::int32_t>> patterns;
        for (const LoadedMeasure& measure : alternatives) {
            distinct.insert(measure.voices);
            patterns.insert(AccompanimentRhythm(measure));
            if (part.prefix == "MN") minuetFigures.insert(MelodicFigure(measure));
        }
        const std::string bar = part.prefix + " bar " + std::to_string(position.second);
        EXPECT_EQ(distinct.size(), alternatives.size()) << bar << ": two measures alike";
        if (!part.phraseEnds.count(position.second)) {
            EXPECT_GE(patterns.size(), 3u) << bar << ": accompaniment patterns";
        }
    }
    EXPECT_GE(minuetFigures.size(), 30u);
}

}  // namespace
}  // namespace zamrit
