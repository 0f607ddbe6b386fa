#include "app/Composition.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "app/MeasureOrder.h"
#include "app/ThrownPiece.h"
#include "mfi/MFiData.h"
#include "support/MeasureFiles.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::RecordedReports;

// Runs the test in a directory of its own, as the game runs in the folder of its measures.
class CompositionTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = std::filesystem::temp_directory_path() /
                     ("zamrit-composition-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(directory_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(directory_);
    }

    static DiceState Thrown(PieceForm form, std::uint32_t seed) {
        RuntimeRandom random(seed);
        DiceState dice;
        dice.Throw(form, random);
        return dice;
    }

    // The events of track 0 of each file, one after the other: what the piece must hold.
    static std::vector<std::pair<std::int32_t, std::int32_t>> Joined(
        const std::vector<std::string>& names) {
        std::vector<std::pair<std::int32_t, std::int32_t>> events;
        for (const std::string& name : names) {
            const MFiData measure(name, 4);
            for (const auto& event : measure.GetTrack(0)->trackData->Events()) {
                events.emplace_back(event.delta, event.key);
            }
        }
        return events;
    }

    static std::vector<std::pair<std::int32_t, std::int32_t>> TrackZero(const MFiData& piece) {
        std::vector<std::pair<std::int32_t, std::int32_t>> events;
        for (const auto& event : piece.GetTrack(0)->trackData->Events()) {
            events.emplace_back(event.delta, event.key);
        }
        return events;
    }

    std::filesystem::path directory_;
    std::filesystem::path previous_;
};

TEST_F(CompositionTest, AMinuetTrioJoinsItsThirtyTwoMeasuresInBarOrder) {
    const DiceState dice = Thrown(PieceForm::MinuetTrio, 11);
    const std::vector<std::string> names = MeasureOrder(PieceForm::MinuetTrio, dice);
    ASSERT_EQ(names.size(), 32u);
    ASSERT_TRUE(testing::WriteMeasureFiles(".", names));

    RecordedReports reports;
    MFiData piece(4, 0x60000);
    ComposeMinuetTrio(dice.firstDie, dice.secondDie, piece);
    EXPECT_THAT(reports.Lines(), IsEmpty());
    EXPECT_EQ(piece.trackCount, 1);
    EXPECT_EQ(TrackZero(piece), Joined(names));
}

TEST_F(CompositionTest, ADanceJoinsTwentyFourAndAMissingMeasureIsLeftOut) {
    const DiceState dice = Thrown(PieceForm::Dance, 5);
    std::vector<std::string> names = MeasureOrder(PieceForm::Dance, dice);
    ASSERT_EQ(names.size(), 24u);
    ASSERT_TRUE(testing::WriteMeasureFiles(".", names));
    const std::string missing = names[20];
    std::filesystem::remove(missing);

    RecordedReports reports;
    MFiData piece(4, 0x60000);
    ComposeDance(dice.firstDie, dice.secondDie, piece);
    EXPECT_THAT(reports.Lines(), ElementsAre(missing, "GENE01000007 Cant open file!"));
    names.erase(names.begin() + 20);
    EXPECT_EQ(TrackZero(piece), Joined(names));
}

// The game, the score window and the tool take one piece: a throw and its measure files named
// one by one give the same melody, bar ends and end tick.
TEST_F(CompositionTest, AThrownPieceIsTheSameAsItsMeasuresGivenInOrder) {
    const DiceState dice = Thrown(PieceForm::MinuetTrio, 3);
    const std::vector<std::string> names = MeasureOrder(PieceForm::MinuetTrio, dice);
    ASSERT_TRUE(testing::WriteMeasureFiles(".", names));

    const ThrownPiece thrown = ThrownPiece::FromThrow(PieceForm::MinuetTrio, dice);
    const ThrownPiece listed = ThrownPiece::FromMeasures(names);
    ASSERT_EQ(thrown.barEnds.size(), 32u);
    EXPECT_EQ(thrown.barEnds.front(), 288);  // each fixture measure is a 3/4 bar at 96 ticks
    EXPECT_EQ(thrown.barEnds, listed.barEnds);
    EXPECT_EQ(thrown.endTick, ThrownPiece::EndTickOf(*thrown.melody));
    EXPECT_EQ(thrown.endTick, listed.endTick);
    EXPECT_EQ(thrown.BarEndsInSequenceTicks(), thrown.barEnds);
}

// The library's lines say what was wrong; the composition adds after them which file it was,
// unless the lines name the file already (a file that can't be opened or is empty).
TEST_F(CompositionTest, TheReportsOfAMeasureFileAreFollowedByItsName) {
    const DiceState dice = Thrown(PieceForm::Dance, 5);
    std::vector<std::string> names = MeasureOrder(PieceForm::Dance, dice);
    ASSERT_TRUE(testing::WriteMeasureFiles(".", names));
    const std::string wrongId = names[3];
    const std::string empty = names[7];
    ASSERT_TRUE(MFiWriter(4, "MELO").Track(MFiEventWriter()).WriteFile(wrongId));
    std::ofstream{empty, std::ios::trunc};
    std::filesystem::remove(names[9]);

    const std::string missing = names[9];
    std::vector<std::string> expected;
    for (const std::string& name : names) {  // a file may come more than once in a piece
        if (name == wrongId) {
            expected.insert(expected.end(), {"MFHD21000002 MFi Voice type is wrong!",
                                             "The reports above came from the file " + wrongId + "."});
        } else if (name == empty) {
            expected.insert(expected.end(), {empty, "The file is empty."});
        } else if (name == missing) {
            expected.insert(expected.end(), {missing, "GENE01000007 Cant open file!"});
        }
    }

    RecordedReports reports;
    MFiData piece(4, 0x60000);
    ComposeDance(dice.firstDie, dice.secondDie, piece);
    EXPECT_EQ(reports.Lines(), expected);
}

}  // namespace
}  // namespace zamrit
