#include "app/DiceState.h"

#include <gtest/gtest.h>

namespace zamrit {
namespace {

TEST(RuntimeRandomTest, MatchesTheRuntimeSequence) {
    RuntimeRandom random(1);
    EXPECT_EQ(random.Next(), 41);
    EXPECT_EQ(random.Next(), 18467);
    EXPECT_EQ(random.Next(), 6334);
    EXPECT_EQ(random.Next(), 26500);
    random.Seed(1);
    EXPECT_EQ(random.Next(), 41);
    random.Seed(0xFFFFFFFFu);
    for (int i = 0; i < 1000; ++i) {
        const std::int32_t value = random.Next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, RuntimeRandom::kMax);
    }
}

// The generator after `draws` values from seed 1.
RuntimeRandom AfterDraws(int draws) {
    RuntimeRandom random(1);
    for (int i = 0; i < draws; ++i) random.Next();
    return random;
}

TEST(DiceStateTest, MinuetTrioDrawsFortyEightDiceInBarOrder) {
    RuntimeRandom random(1);
    DiceState dice;
    const DiceState::Labels labels = dice.Throw(PieceForm::MinuetTrio, random);

    RuntimeRandom expected(1);
    for (std::int32_t bar = 1; bar <= 16; ++bar) {
        EXPECT_EQ(dice.firstDie[bar - 1], expected.ThrowDie());
        EXPECT_EQ(dice.secondDie[bar - 1], expected.ThrowDie());
        EXPECT_EQ(labels[bar - 1], dice.Sum(bar));
    }
    for (std::int32_t bar = 17; bar <= 32; ++bar) {
        EXPECT_EQ(dice.firstDie[bar - 1], expected.ThrowDie());
        EXPECT_EQ(dice.secondDie[bar - 1], 0);
        ASSERT_TRUE(labels[bar - 1].has_value());
        EXPECT_GE(*labels[bar - 1], 1);
        EXPECT_LE(*labels[bar - 1], 6);
    }
    EXPECT_EQ(random.Next(), AfterDraws(48).Next());
}

TEST(DiceStateTest, DanceRepeatsBarsOneToEightAndLeavesTheLastRowAlone) {
    DiceState dice;
    dice.firstDie.fill(9);
    dice.secondDie.fill(9);
    RuntimeRandom random(7);
    const DiceState::Labels labels = dice.Throw(PieceForm::Dance, random);

    RuntimeRandom expected(7);
    for (std::int32_t bar = 1; bar <= 8; ++bar) {
        EXPECT_EQ(dice.firstDie[bar - 1], expected.ThrowDie());
        EXPECT_EQ(dice.secondDie[bar - 1], expected.ThrowDie());
        EXPECT_EQ(dice.firstDie[bar + 7], dice.firstDie[bar - 1]);
        EXPECT_EQ(dice.secondDie[bar + 7], dice.secondDie[bar - 1]);
        EXPECT_EQ(labels[bar + 7], labels[bar - 1]);
    }
    for (std::int32_t bar = 17; bar <= 24; ++bar) {
        EXPECT_EQ(dice.firstDie[bar - 1], expected.ThrowDie());
        EXPECT_EQ(dice.secondDie[bar - 1], expected.ThrowDie());
        EXPECT_EQ(labels[bar - 1], dice.Sum(bar));
    }
    for (std::int32_t bar = 25; bar <= 32; ++bar) {
        EXPECT_FALSE(labels[bar - 1].has_value());
        EXPECT_EQ(DiceState::LabelText(labels[bar - 1]), "-");
        EXPECT_EQ(dice.firstDie[bar - 1], 9) << "not thrown, not changed";
    }
    RuntimeRandom afterDance(7);
    for (int i = 0; i < 32; ++i) afterDance.Next();
    EXPECT_EQ(random.Next(), afterDance.Next());
}

TEST(DiceStateTest, TheSameSeedThrowsTheSameDice) {
    DiceState first;
    DiceState second;
    RuntimeRandom a(12345);
    RuntimeRandom b(12345);
    first.Throw(PieceForm::MinuetTrio, a);
    second.Throw(PieceForm::MinuetTrio, b);
    EXPECT_EQ(first.firstDie, second.firstDie);
    EXPECT_EQ(first.secondDie, second.secondDie);
}

TEST(DiceStateTest, FormIndexZeroIsDanceAndEveryOtherIsMinuetTrio) {
    EXPECT_EQ(PieceFormFromIndex(0), PieceForm::Dance);
    EXPECT_EQ(PieceFormFromIndex(1), PieceForm::MinuetTrio);
    EXPECT_EQ(PieceFormFromIndex(-1), PieceForm::MinuetTrio);
}

}  // namespace
}  // namespace zamrit
