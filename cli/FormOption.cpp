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

}  // namespace zamrit
