#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zamrit {

// An error code: the module number in the top byte, the error number (from 1) below it.
using ErrorCode = std::uint32_t;

constexpr std::uint32_t ModuleOf(ErrorCode code) { return code >> 24; }

// One row of a module's message table.
struct ErrorText {
    ErrorCode code;
    const char* text;
};

// The line a report shows: tag, the code as eight upper-case hex digits, a blank, the text.
std::string FormatReportLine(std::string_view tag, ErrorCode code, std::string_view text);

// Hands a line to the process-wide message sink and returns once it has been seen.
void ShowErrorMessage(const std::string& text);

// The general module (tag GENE): memory, file loading, the play request.
void ReportGeneralError(ErrorCode code);

// "CallBackPlayer Error!", shown the first time it is raised in the life of the process and
// silent on every later call.
void ReportCallBackPlayerError();

// Tests only: the next ReportCallBackPlayerError shows its line again, as in a new process.
void ResetCallBackPlayerErrorForTesting();

}  // namespace zamrit
