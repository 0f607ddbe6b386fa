#pragma once

#include <functional>

#include "platform/RecordingMessageSink.h"

namespace zamrit {

// What a parsed subcommand runs. It prints its JSON to standard output; every report of the
// library reaches `reports` (and standard error) while it runs. It returns the exit status
// for a usage error it finds itself (2), else 0; the tool turns 0 into 1 when anything was
// reported.
using CommandAction = std::function<int(RecordingMessageSink& reports)>;

inline constexpr int kExitClean = 0;
inline constexpr int kExitReported = 1;
inline constexpr int kExitUsage = 2;

}  // namespace zamrit
