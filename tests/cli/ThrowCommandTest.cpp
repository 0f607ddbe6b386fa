#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/DiceState.h"
#include "app/MeasureOrder.h"
#include "support/ToolRun.h"

namespace zamrit {
namespace {

using testing::RunTool;

TEST(ThrowCommandTest, MinuetPrintsTheDiceLabelsAndFilesOfTheSeed) {
    const auto run = RunTool("throw --form minuet --seed 1");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);

    RuntimeRandom random(1);
    DiceState dice;
    const auto labels = dice.Throw(PieceForm::MinuetTrio, random);
    EXPECT_EQ(json["form"], "minuet");
    EXPECT_EQ(json["seed"], 1);
    EXPECT_EQ(json["firstDie"].get<std::vector<int>>(),
              std::vector<int>(dice.firstDie.begin(), dice.firstDie.end()));
    EXPECT_EQ(json["secondDie"].get<std::vector<int>>(),
              std::vector<int>(dice.secondDie.begin(), dice.secondDie.end()));
    EXPECT_EQ(json["labels"][0], DiceState::LabelText(labels[0]));
    EXPECT_EQ(json["files"].get<std::vector<std::string>>(), MeasureOrder(PieceForm::MinuetTrio, dice));
    EXPECT_EQ(json["files"].size(), 32u);
}

TEST(ThrowCommandTest, DanceLeavesTheLastRowUnthrown) {
    const auto run = RunTool("throw --form dance --seed 1");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["files"].size(), 24u);
    for (int bar = 25; bar <= 32; ++bar) {
        EXPECT_EQ(json["labels"][bar - 1], "-");
        EXPECT_EQ(json["firstDie"][bar - 1], 0);
    }
}

TEST(ThrowCommandTest, UsageErrorsExitWithTwoAndHelpWithZero) {
    EXPECT_EQ(RunTool("").status, 2);
    EXPECT_EQ(RunTool("throw").status, 2);
    EXPECT_EQ(RunTool("throw --form waltz").status, 2);
    EXPECT_EQ(RunTool("bogus").status, 2);
    const auto help = RunTool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, ::testing::HasSubstr("throw"));
    const auto version = RunTool("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zamrit-dice " ZAMRIT_VERSION "\n");
}

}  // namespace
}  // namespace zamrit
