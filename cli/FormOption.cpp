#include "cli/FormOption.h"

#include <map>
#include <string>

namespace zamrit {

CLI::Option* AddFormOption(CLI::App& command, PieceForm& form) {
    static const std::map<std::string, PieceForm> kForms{
        {std::string(PieceFormName(PieceForm::Dance)), PieceForm::Dance},
        {std::string(PieceFormName(PieceForm::MinuetTrio)), PieceForm::MinuetTrio},
    };
    return command.add_option("--form", form, "Form of the piece: dance or minuet")
        ->transform(CLI::CheckedTransformer(kForms, CLI::ignore_case));
}

CLI::Option* AddSeedOption(CLI::App& command, std::uint32_t& seed, const std::string& description) {
    return command.add_option("--seed", seed, description)
        ->check([](const std::string& text) { return text.empty() ? std::string("the seed is empty") : std::string(); });
}

}  // namespace zamrit
