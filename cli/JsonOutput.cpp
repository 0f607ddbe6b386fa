#include "cli/JsonOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "cli/EventJson.h"

namespace zamrit {

bool PrintJson(std::string_view command, const nlohmann::ordered_json& document) {
    const std::optional<nlohmann::ordered_json> cut = WithReportsCut(document);
    const std::string text =
        (cut ? *cut : document).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + '\n';
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                         std::fflush(stdout) == 0;
    if (!written) {
        const int error = errno;
        std::cerr << "zamrit-dice " << command << ": can not write the output"
                  << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
    }
    return written;
}

}  // namespace zamrit
