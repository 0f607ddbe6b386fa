#pragma once

#include <cstddef>
#include <string>

namespace zamrit {

// Sees the report lines raised on the thread that made it, while it lives (the lines still go
// to the message sink as ever). Watches nest: each one open on the thread sees every line.
// Lines of other threads are not seen, so a report of the player's threads is never taken for
// one of the work this thread is doing.
class ThreadReportWatch {
public:
    ThreadReportWatch();
    ThreadReportWatch(const ThreadReportWatch&) = delete;
    ThreadReportWatch& operator=(const ThreadReportWatch&) = delete;
    ~ThreadReportWatch();

    std::size_t Count() const { return count_; }
    // The first line seen ("" while there is none).
    const std::string& First() const { return first_; }

    // Tells every watch open on this thread of a line reported on it.
    static void Note(const std::string& line);

private:
    ThreadReportWatch* outer_;
    std::size_t count_ = 0;
    std::string first_;
};

}  // namespace zamrit
