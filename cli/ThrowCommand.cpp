#include "cli/ThrowCommand.h"

#include <ctime>
#include <memory>
#include <nlohmann/json.hpp>

#include "app/DiceState.h"
#include "app/MeasureOrder.h"
#include "cli/FormOption.h"
#include "cli/JsonOutput.h"

namespace zamrit {
namespace {

struct ThrowOptions {
    PieceForm form = PieceForm::Dance;
    std::uint32_t seed = 0;
    bool seedGiven = false;
};

nlohmann::ordered_json ThrowAsJson(const ThrowOptions& options) {
    RuntimeRandom random(options.seed);
    DiceState dice;
    const DiceState::Labels labels = dice.Throw(options.form, random);
    nlohmann::ordered_json labelTexts = nlohmann::ordered_json::array();
    for (const auto& label : labels) labelTexts.push_back(DiceState::LabelText(label));
    return {
        {"form", PieceFormName(options.form)},
        {"seed", options.seed},
        {"firstDie", dice.firstDie},
        {"secondDie", dice.secondDie},
        {"labels", labelTexts},
        {"files", MeasureOrder(options.form, dice)},
    };
}

}  // namespace

void RegisterThrowCommand(CLI::App& app, CommandAction& action) {
    auto options = std::make_shared<ThrowOptions>();
    CLI::App* command = app.add_subcommand("throw", "Throw the dice once and name the measure files");
    AddFormOption(*command, options->form)->required();
    AddSeedOption(*command, options->seed, "Seed of the generator (default: the current time)");
    command->callback([&action, options, command] {
        action = [options, command](RecordingMessageSink&) {
            if (command->count("--seed") == 0) {
                options->seed = static_cast<std::uint32_t>(std::time(nullptr));
            }
            return PrintJson("throw", ThrowAsJson(*options)) ? kExitClean : kExitReported;
        };
    });
}

}  // namespace zamrit
