#include "platform/RecordingMessageSink.h"

namespace zamrit {

void RecordingMessageSink::Show(const std::string& line) {
    {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
    }
    if (forwardTo_ != nullptr) forwardTo_->Show(line);
}

std::vector<std::string> RecordingMessageSink::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

void RecordingMessageSink::Clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace zamrit
