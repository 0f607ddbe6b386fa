#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "app/Composition.h"
#include "app/DiceState.h"
#include "app/MeasureOrder.h"
#include "app/RuntimeRandom.h"
#include "melody/MobileCommand.h"
#include "melody/MobileData.h"
#include "mfi/MFiData.h"
#include "mfi/MFiTrack.h"
#include "support/RecordedReports.h"
#include "support/ScopedWorkingFolder.h"

namespace zamrit {
namespace {

// The generated measure files, read from their folder as the game reads them.
class MeasureFilesTest : public ::testing::Test {
protected:
    testing::ScopedWorkingFolder inMeasures_{ZAMRIT_MEASURE_DIR};
};

struct PartFacts {
    std::int32_t voiceType;
    std::int32_t barTicks;   // at 96 ticks per quarter
};

PartFacts FactsOf(const std::string& name) {
    if (name.starts_with("MN") || name.starts_with("TR")) return {4, 288};  // 3/4
    return {5, 192};                                                         // 2/4
}

TEST_F(MeasureFilesTest, EveryFileLoadsWithoutAReportAndFillsExactlyOneBar) {
    testing::RecordedReports reports;
    // The bass of every bar position, per sum: one harmony for all sums.
    std::map<std::string, std::set<int>> bassPitchClasses;
    const std::vector<std::string> names = AllMeasureFileNames();
    ASSERT_EQ(names.size(), 448u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const PartFacts facts = FactsOf(name);
        const MFiData measure(name, 4);
        ASSERT_EQ(measure.trackCount, 4);
        EXPECT_EQ(measure.voiceType, facts.voiceType);
        const MobileTrackData& events = *measure.GetTrack(0)->trackData;

        std::int32_t now = 0;
        std::map<int, std::int32_t> soundingUntil;
        std::map<int, std::set<int>> commandsAtStart;
        int firstBassKey = -1;
        for (const auto& event : events.Events()) {
            now += event.delta;
            if (event.kind == kCommandEvent && now == 0) commandsAtStart[event.channel].insert(event.code);
            if (event.kind == kNoteEvent) {
                ASSERT_LE(event.channel, 2);
                EXPECT_GE(now, soundingUntil[event.channel]) << "notes of one channel overlap";
                EXPECT_LE(now + event.duration, facts.barTicks);
                soundingUntil[event.channel] = now + event.duration;
                if (event.channel == 1 && firstBassKey < 0) firstBassKey = event.key;
            }
        }
        EXPECT_EQ(now, facts.barTicks) << "the last event lies on the bar line";
        for (int channel = 0; channel < 3; ++channel) {
            EXPECT_TRUE(commandsAtStart[channel].count(kVoice)) << channel;
            EXPECT_TRUE(commandsAtStart[channel].count(kVolume)) << channel;
        }
        bassPitchClasses[name.substr(0, 2) + name.substr(6, 2)].insert(firstBassKey % 12);
    }
    for (const auto& [position, classes] : bassPitchClasses) {
        EXPECT_EQ(classes.size(), 1u) << position;
    }
    EXPECT_TRUE(reports.Lines().empty());
}

TEST_F(MeasureFilesTest, ThrownPiecesComposeToWholeMeasures) {
    testing::RecordedReports reports;
    struct Case {
        PieceForm form;
        std::int32_t measureCount;
    };
    for (const Case& c : {Case{PieceForm::MinuetTrio, 24}, Case{PieceForm::Dance, 12}}) {
        for (std::uint32_t seed : {1u, 99u, 2026u}) {
            RuntimeRandom random(seed);
            DiceState dice;
            dice.Throw(c.form, random);
            MFiData piece(4, 0x60000);
            if (c.form == PieceForm::MinuetTrio) {
                ComposeMinuetTrio(dice.firstDie, dice.secondDie, piece);
            } else {
                ComposeDance(dice.firstDie, dice.secondDie, piece);
            }
            MobileData melody(0x60000);
            piece.ToMobileData(melody);
            EXPECT_EQ(melody.MeasureLength(), 384);
            EXPECT_EQ(melody.MeasureCount(), c.measureCount) << seed;
            EXPECT_EQ(melody.MeasureLength() * melody.MeasureCount(),
                      c.form == PieceForm::MinuetTrio ? 9216 : 4608);
        }
    }
    EXPECT_TRUE(reports.Lines().empty());
}

}  // namespace
}  // namespace zamrit
