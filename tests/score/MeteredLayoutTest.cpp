// The metre of a melody that carries no time signature: a piece of measure files has the
// files' own bars, a single file one bar long is that bar, and anything else is measured as
// the melody measures itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Composition.h"
#include "melody/MobileData.h"
#include "mfi/MFiData.h"
#include "score/ScoreLayout.h"
#include "support/HandMadeMeasures.h"
#include "support/RecordedReports.h"
#include "support/ScopedWorkingFolder.h"

namespace zamrit {
namespace {

// Beats per bar, bars, first tick and first bar number of each section.
struct Metre {
    std::int32_t beats;
    std::int64_t bars;
    std::int64_t firstTick;
    std::int64_t firstBar;

    bool operator==(const Metre&) const = default;
};

std::vector<Metre> MetreOf(const score::ScoreLayout& layout) {
    std::vector<Metre> metre;
    for (const auto& section : layout.sections) {
        metre.push_back({section.beatsPerBar, section.barCount, section.firstTick, section.firstBarNumber});
    }
    return metre;
}

class MeteredLayoutTest : public ::testing::Test {
protected:
    // The piece --measures composes, and the layout of it.
    std::vector<Metre> MeasuresMetre(const std::vector<std::string>& names) const {
        MFiData composed(4, 0x60000);
        const BarEnds ends = AppendMeasures(names, composed);
        MobileData melody(0x60000);
        composed.ToMobileData(melody);
        return MetreOf(score::ScoreLayout::ForMeasures(melody, ends));
    }

    testing::ScopedWorkingFolder inMeasures_{ZAMRIT_MEASURE_DIR};
};

TEST_F(MeteredLayoutTest, EveryMeasureFileIsOneBarOfItsOwnLength) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<Metre>>> cases{
        {{"MN_07_01.dat", "MN_08_02.dat", "MN_05_03.dat"}, {{3, 3, 0, 1}}},
        {{"DA_07_01.dat", "DB_02_01.dat"}, {{2, 2, 0, 1}}},
        // A change of length starts a section of the new metre.
        {{"MN_07_01.dat", "MN_08_02.dat", "DA_07_01.dat", "TR_03_17.dat"}, {{3, 2, 0, 1}, {2, 1, 576, 3}, {3, 1, 768, 4}}},
    };
    for (const auto& [names, metre] : cases) {
        SCOPED_TRACE(names.front() + " ... " + names.back());
        EXPECT_EQ(MeasuresMetre(names), metre);
    }
}

// A file that can not be read adds no bar (its report aside); when no file is one bar of a
// metre the score writes, the piece is measured in 4/4 as before.
TEST_F(MeteredLayoutTest, FilesThatAreNoBarLeaveTheMelodysOwnMeasure) {
    testing::RecordedReports reports;
    EXPECT_EQ(MeasuresMetre({"MN_07_01.dat", "zamrit-missing.dat", "MN_05_03.dat"}), (std::vector<Metre>{{3, 2, 0, 1}}));
    EXPECT_EQ(MeasuresMetre({"zamrit-missing.dat"}), (std::vector<Metre>{{4, 1, 0, 1}}));
}

// A single file: one bar of 2 to 6 quarters without a time signature is that bar; a time
// signature is kept whatever the length; other lengths are bars of 4/4.
TEST_F(MeteredLayoutTest, ASingleMelodyOfOneBarIsThatBar) {
    const MFiData measure("MN_07_01.dat", 4);
    MobileData minuetBar(0x60000);
    measure.ToMobileData(minuetBar);
    EXPECT_EQ(MetreOf(score::ScoreLayout::ForMelody(minuetBar)), (std::vector<Metre>{{3, 1, 0, 1}}));

    struct Case {
        std::int32_t lastNoteTick;  // the melody ends a quarter after it
        std::int32_t timeSignature;
        std::vector<Metre> metre;
    };
    const std::vector<Case> cases{
        {96, 0, {{2, 1, 0, 1}}},           // 2/4
        {480, 0, {{6, 1, 0, 1}}},          // 6/4
        {576, 0, {{4, 2, 0, 1}}},          // seven quarters: two bars of 4/4
        {336, 0, {{4, 2, 0, 1}}},          // four and a half quarters
        {192, 2 * 256 + 4, {{2, 2, 0, 1}}},  // three quarters in 2/4
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastNoteTick);
        auto melody = testing::MelodyOf({{0, 0, 72, 96}, {c.lastNoteTick, 0, 74, 96}});
        melody->timeSignature = c.timeSignature;
        EXPECT_EQ(MetreOf(score::ScoreLayout::ForMelody(*melody)), c.metre);
    }
}

}  // namespace
}  // namespace zamrit
