#include "melody/ErrorReporting.h"

#include <array>
#include <atomic>
#include <cstdio>

#include "melody/ModuleReporter.h"
#include "platform/MessageSink.h"
#include "platform/ThreadReportWatch.h"

namespace zamrit {
namespace {

constexpr std::array<ErrorText, 10> kGeneralTexts{{
    {0x01000002, "Needs more memory!"},
    {0x01000004, "Quit and restart!"},
    {0x01000005, "Cant find file!"},
    {0x01000006, "16 digit error"},
    {0x01000007, "Cant open file!"},
    {0x0100000A, "data size is too large!"},
    {0x0100000B, "parameter is wrong"},
    {0x0100000C, "Can not get current directory"},
    {0x0100000D, "file size error!"},
    {0x0100000E, "Time sign is invalid!"},
}};

constexpr ModuleReporter kGeneralReporter{"GENE", kGeneralTexts, "General Error"};

std::atomic<int> callBackPlayerReports{0};

}  // namespace

std::string FormatReportLine(std::string_view tag, ErrorCode code, std::string_view text) {
    std::array<char, 16> hex{};
    std::snprintf(hex.data(), hex.size(), "%08X ", static_cast<unsigned>(code));
    std::string line;
    line.reserve(tag.size() + 9 + text.size());
    line.append(tag).append(hex.data()).append(text);
    return line;
}

void ShowErrorMessage(const std::string& text) {
    ThreadReportWatch::Note(text);
    CurrentMessageSink().Show(text);
}

void ReportGeneralError(ErrorCode code) { kGeneralReporter.Report(code); }

void ReportCallBackPlayerError() {
    if (callBackPlayerReports.fetch_add(1) == 0) ShowErrorMessage("CallBackPlayer Error!");
}

void ResetCallBackPlayerErrorForTesting() { callBackPlayerReports = 0; }

}  // namespace zamrit
