#pragma once

#include <string>

namespace zamrit {

// Where the library's report lines go: a message box in the game, standard error in the
// command-line tool, a recorder in tests. Show may be called from any thread; it returns
// once the line has been shown or is held to be shown (GuiMessageSink says when).
class MessageSink {
public:
    MessageSink() = default;
    MessageSink(const MessageSink&) = delete;
    MessageSink& operator=(const MessageSink&) = delete;
    virtual ~MessageSink() = default;

    virtual void Show(const std::string& line) = 0;

    // The lines shown on this thread between the two calls are the reports of one action
    // (a press of Play, a save), which a sink may show together once it is over. Calls pair
    // and may nest. A sink that writes each line as it comes does nothing here.
    virtual void BeginBatch() {}
    virtual void EndBatch() {}
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
