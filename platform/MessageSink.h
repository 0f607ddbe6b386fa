#pragma once

#include <string>

namespace zamrit {

// Where the library's report lines go: a message box in the game, standard error in the
// command-line tool, a recorder in tests. Show returns once the user has seen the line
// (for a message box: once OK has been pressed); it may be called from any thread.
class MessageSink {
public:
    MessageSink() = default;
    MessageSink(const MessageSink&) = delete;
    MessageSink& operator=(const MessageSink&) = delete;
    virtual ~MessageSink() = default;

    virtual void Show(const std::string& line) = 0;
};

// The process-wide sink. Until one is installed, lines go to standard error.
void InstallMessageSink(MessageSink* sink);
MessageSink& CurrentMessageSink();

// Installs a sink for the lifetime of this object and restores the previous one after.
class ScopedMessageSink {
public:
    explicit ScopedMessageSink(MessageSink& sink);
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;
    ~ScopedMessageSink();

private:
    MessageSink& previous_;
};

}  // namespace zamrit
