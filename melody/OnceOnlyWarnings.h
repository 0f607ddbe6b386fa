#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <vector>

#include "melody/ModuleReporter.h"

namespace zamrit {

// Warnings that a class shows at most once between two clears. Code 0 clears every flag and
// shows nothing; a listed code is shown while its flag is clear and then sets it. A code the
// table does not list goes to the module's ordinary reporter.
class OnceOnlyWarnings {
public:
    OnceOnlyWarnings(const ModuleReporter& module, std::span<const ErrorText> warnings);
    OnceOnlyWarnings(const OnceOnlyWarnings&) = delete;
    OnceOnlyWarnings& operator=(const OnceOnlyWarnings&) = delete;

    void Report(ErrorCode code);

private:
    const ModuleReporter& module_;
    std::span<const ErrorText> warnings_;
    std::vector<std::atomic<bool>> shown_;
};

}  // namespace zamrit
