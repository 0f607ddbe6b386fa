#pragma once

#include <span>
#include <string_view>

#include "melody/ErrorReporting.h"

namespace zamrit {

// The reporter of one module: maps a code to its text by exact match, falling back to the
// module's own text for every code it does not list, and shows the formatted line.
class ModuleReporter {
public:
    constexpr ModuleReporter(std::string_view tag, std::span<const ErrorText> table,
                             std::string_view fallback)
        : tag_(tag), table_(table), fallback_(fallback) {}

    std::string_view TextFor(ErrorCode code) const;
    std::string LineFor(ErrorCode code) const;
    void Report(ErrorCode code) const;

    std::string_view Tag() const { return tag_; }

private:
    std::string_view tag_;
    std::span<const ErrorText> table_;
    std::string_view fallback_;
};

}  // namespace zamrit
