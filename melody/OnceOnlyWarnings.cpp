#include "melody/OnceOnlyWarnings.h"

namespace zamrit {

OnceOnlyWarnings::OnceOnlyWarnings(const ModuleReporter& module,
                                   std::span<const ErrorText> warnings)
    : module_(module), warnings_(warnings), shown_(warnings.size()) {}

void OnceOnlyWarnings::Report(ErrorCode code) {
    if (code == 0) {
        for (std::atomic<bool>& flag : shown_) flag.store(false);
        return;
    }
    for (std::size_t i = 0; i < warnings_.size(); ++i) {
        if (warnings_[i].code != code) continue;
        if (!shown_[i].exchange(true)) {
            ShowErrorMessage(FormatReportLine(module_.Tag(), code, warnings_[i].text));
        }
        return;
    }
    module_.Report(code);
}

}  // namespace zamrit
