#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/MessageSink.h"

namespace zamrit {

// Keeps every line in order, optionally passing it on to another sink as well.
class RecordingMessageSink final : public MessageSink {
public:
    RecordingMessageSink() = default;
    explicit RecordingMessageSink(MessageSink& forwardTo) : forwardTo_(&forwardTo) {}

    void Show(const std::string& line) override;

    std::vector<std::string> Lines() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    MessageSink* forwardTo_ = nullptr;
};

}  // namespace zamrit
