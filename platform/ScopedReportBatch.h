#pragma once

#include "platform/MessageSink.h"

namespace zamrit {

// The reports raised while it lives make one batch of the process-wide sink (see
// MessageSink::BeginBatch): the game shows them together in one box when the action is over.
class ScopedReportBatch {
public:
    ScopedReportBatch() : sink_(CurrentMessageSink()) { sink_.BeginBatch(); }
    ScopedReportBatch(const ScopedReportBatch&) = delete;
    ScopedReportBatch& operator=(const ScopedReportBatch&) = delete;
    ~ScopedReportBatch() { sink_.EndBatch(); }

private:
    MessageSink& sink_;
};

}  // namespace zamrit
