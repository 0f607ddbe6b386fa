#pragma once

#include <nlohmann/json.hpp>
#include <string_view>

namespace zamrit {

// Prints `document` to standard output, indented by 2, as every command does. Text that is
// not valid UTF-8 (a file name is any bytes but NUL and '/') has each invalid byte replaced
// by U+FFFD, so the output is always valid JSON. A "reports" array lists at most
// kListedReports lines, with the count of the others after it (see WithReportsCut). Returns false, after a line on standard
// error naming `command`, when standard output did not take all of it.
bool PrintJson(std::string_view command, const nlohmann::ordered_json& document);

}  // namespace zamrit
