#include "platform/ThreadReportWatch.h"

namespace zamrit {
namespace {

thread_local ThreadReportWatch* innermostWatch = nullptr;

}  // namespace

ThreadReportWatch::ThreadReportWatch() : outer_(innermostWatch) { innermostWatch = this; }

ThreadReportWatch::~ThreadReportWatch() { innermostWatch = outer_; }

void ThreadReportWatch::Note(const std::string& line) {
    for (ThreadReportWatch* watch = innermostWatch; watch != nullptr; watch = watch->outer_) {
        if (watch->count_++ == 0) watch->first_ = line;
    }
}

}  // namespace zamrit
