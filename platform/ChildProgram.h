#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace zamrit {

// One run of another program: started in a process group of its own, its standard input from
// /dev/null, its output and errors into a log file. `Wait` waits for it to end and asks a stop
// check meanwhile; a stop, or the object going while the program still runs, ends the whole
// group (SIGTERM, then SIGKILL after a grace time) and waits for it, so no program is left
// running behind the caller.
class ChildProgram {
public:
    // How a run ended.
    enum class Outcome { NotStarted, Exited, Killed, Stopped };

    // Starts `arguments[0]`, a full path, with the arguments. When it can not be started,
    // `Started` is false and `Problem` says why.
    ChildProgram(const std::vector<std::string>& arguments, const std::string& logPath);
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;
    ~ChildProgram();

    bool Started() const { return child_ > 0 || outcome_ != Outcome::NotStarted; }
    const std::string& Problem() const { return problem_; }

    // Waits until the program ends, or until `stop` (asked every poll) says to stop it. The
    // exit status is in `ExitStatus` for Outcome::Exited.
    Outcome Wait(const std::function<bool()>& stop = {});
    int ExitStatus() const { return exitStatus_; }

    static constexpr std::chrono::milliseconds kPoll{20};
    static constexpr std::chrono::milliseconds kGrace{2000};

private:
    void Reap(int status);
    void Kill();

    pid_t child_ = 0;
    Outcome outcome_ = Outcome::NotStarted;
    int exitStatus_ = -1;
    std::string problem_;
};

}  // namespace zamrit
