#include "platform/MessageSink.h"

#include <atomic>

#include "platform/StderrMessageSink.h"

namespace zamrit {
namespace {

MessageSink& DefaultSink() {
    static StderrMessageSink sink;
    return sink;
}

std::atomic<MessageSink*> installedSink{nullptr};

}  // namespace

void InstallMessageSink(MessageSink* sink) { installedSink.store(sink); }

MessageSink& CurrentMessageSink() {
    MessageSink* sink = installedSink.load();
    return sink != nullptr ? *sink : DefaultSink();
}

ScopedMessageSink::ScopedMessageSink(MessageSink& sink) : previous_(CurrentMessageSink()) {
    InstallMessageSink(&sink);
}

ScopedMessageSink::~ScopedMessageSink() { InstallMessageSink(&previous_); }

}  // namespace zamrit
