#pragma once

#include <string>
#include <vector>

#include "platform/MessageSink.h"
#include "platform/RecordingMessageSink.h"

namespace zamrit::testing {

// Collects every report line raised while it lives.
class RecordedReports {
public:
    std::vector<std::string> Lines() const { return sink_.Lines(); }
    void Clear() { sink_.Clear(); }

private:
    RecordingMessageSink sink_;
    ScopedMessageSink scope_{sink_};
};

}  // namespace zamrit::testing
