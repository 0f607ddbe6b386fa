#pragma once

#include <mutex>

#include "platform/MessageSink.h"

namespace zamrit {

// Writes each line, whole, to standard error.
class StderrMessageSink final : public MessageSink {
public:
    void Show(const std::string& line) override;

private:
    std::mutex mutex_;
};

}  // namespace zamrit
