#include "melody/ModuleReporter.h"

namespace zamrit {

std::string_view ModuleReporter::TextFor(ErrorCode code) const {
    for (const ErrorText& row : table_) {
        if (row.code == code) return row.text;
    }
    return fallback_;
}

std::string ModuleReporter::LineFor(ErrorCode code) const {
    return FormatReportLine(tag_, code, TextFor(code));
}

void ModuleReporter::Report(ErrorCode code) const { ShowErrorMessage(LineFor(code)); }

}  // namespace zamrit
