#include "app/MeasureOrder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace zamrit {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

DiceState DiceWithSums(std::int32_t minuetFirst, std::int32_t minuetSecond, std::int32_t trio) {
    DiceState dice;
    for (std::int32_t bar = 1; bar <= 16; ++bar) {
        dice.firstDie[bar - 1] = minuetFirst;
        dice.secondDie[bar - 1] = minuetSecond;
    }
    for (std::int32_t bar = 17; bar <= 32; ++bar) dice.firstDie[bar - 1] = trio;
    return dice;
}

TEST(MeasureOrderTest, FileNamesCarryTheSumAndTheBarDigits) {
    EXPECT_EQ(MeasureFileName("MN_00_00.dat", 7, 1), "MN_07_01.dat");
    EXPECT_EQ(MeasureFileName("MN_00_00.dat", 12, 16), "MN_12_16.dat");
    EXPECT_EQ(MeasureFileName("TR_00_00.dat", 3, 32), "TR_03_32.dat");
    EXPECT_EQ(MeasureFileName("DB_00_00.dat", 2, 8), "DB_02_08.dat");
}

TEST(MeasureOrderTest, MinuetTrioNamesThirtyTwoFilesInBarOrder) {
    const auto names = MeasureOrder(PieceForm::MinuetTrio, DiceWithSums(3, 4, 3));
    ASSERT_EQ(names.size(), 32u);
    EXPECT_EQ(names.front(), "MN_07_01.dat");
    EXPECT_EQ(names[15], "MN_07_16.dat");
    EXPECT_EQ(names[16], "TR_03_17.dat");
    EXPECT_EQ(names.back(), "TR_03_32.dat");
}

TEST(MeasureOrderTest, DanceNamesTwentyFourFilesAndHearsTheFirstPartTwice) {
    RuntimeRandom random(1);
    DiceState dice;
    dice.Throw(PieceForm::Dance, random);
    const auto names = MeasureOrder(PieceForm::Dance, dice);
    ASSERT_EQ(names.size(), 24u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(names[i].substr(0, 3), "DA_");
        EXPECT_EQ(names[i].substr(6), "0" + std::to_string(i + 1) + ".dat");
        EXPECT_EQ(names[i + 8], names[i]);
        EXPECT_EQ(names[i + 16], MeasureFileName("DB_00_00.dat", dice.Sum(17 + i), i + 1));
    }
}

TEST(MeasureOrderTest, TheGameCanAskForFourHundredFortyEightFiles) {
    const auto names = AllMeasureFileNames();
    EXPECT_EQ(names.size(), 448u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 448u);
    EXPECT_THAT(names, Contains("MN_02_01.dat"));
    EXPECT_THAT(names, Contains("MN_12_16.dat"));
    EXPECT_THAT(names, Contains("TR_01_17.dat"));
    EXPECT_THAT(names, Contains("TR_06_32.dat"));
    EXPECT_THAT(names, Contains("DA_12_08.dat"));
    EXPECT_THAT(names, Contains("DB_02_01.dat"));
    EXPECT_THAT(names, ::testing::Not(Contains("TR_07_17.dat")));

    // Every name any throw asks for is in the set.
    const std::set<std::string> all(names.begin(), names.end());
    RuntimeRandom random(99);
    for (int i = 0; i < 200; ++i) {
        DiceState dice;
        const PieceForm form = i % 2 == 0 ? PieceForm::Dance : PieceForm::MinuetTrio;
        dice.Throw(form, random);
        for (const auto& name : MeasureOrder(form, dice)) EXPECT_TRUE(all.count(name)) << name;
    }
}

}  // namespace
}  // namespace zamrit
