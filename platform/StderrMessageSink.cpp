#include "platform/StderrMessageSink.h"

#include <cstdio>

namespace zamrit {

void StderrMessageSink::Show(const std::string& line) {
    std::lock_guard lock(mutex_);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

}  // namespace zamrit
