#include "platform/ChildProgram.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace zamrit {

ChildProgram::ChildProgram(const std::vector<std::string>& arguments, const std::string& logPath) {
    if (arguments.empty()) {
        problem_ = "No program to start";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // A group of its own: the program and whatever it starts in turn are stopped together.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    // The caller's handlers and blocked signals are not the program's: it starts with the
    // default dispositions of the signals that stop it.
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int started = posix_spawn(&child_, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        child_ = 0;
        problem_ = "Can not start " + arguments.front() + ": " + std::strerror(started);
    }
}

ChildProgram::~ChildProgram() {
    if (child_ > 0) Kill();
}

void ChildProgram::Reap(int status) {
    child_ = 0;
    if (WIFEXITED(status)) {
        outcome_ = outcome_ == Outcome::Stopped ? Outcome::Stopped : Outcome::Exited;
        exitStatus_ = WEXITSTATUS(status);
    } else if (outcome_ != Outcome::Stopped) {
        outcome_ = Outcome::Killed;
    }
}

// Ends the group: SIGTERM first, so the program may tidy up, SIGKILL when it has not gone
// within the grace time. Until it is reaped the program's number still names its group, so
// what it started in turn is killed with it.
void ChildProgram::Kill() {
    ::kill(-child_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kGrace;
    bool killed = false;
    while (true) {
        siginfo_t info{};
        const int waited = ::waitid(P_PID, static_cast<id_t>(child_), &info, WEXITED | WNOHANG | WNOWAIT);
        if (waited < 0 && errno != EINTR) break;
        if (waited == 0 && info.si_pid == child_) break;
        if (!killed && std::chrono::steady_clock::now() >= deadline) {
            ::kill(-child_, SIGKILL);
            killed = true;
        }
        std::this_thread::sleep_for(kPoll);
    }
    ::kill(-child_, SIGKILL);
    int status = 0;
    while (::waitpid(child_, &status, 0) < 0 && errno == EINTR) {
    }
    Reap(status);
}

ChildProgram::Outcome ChildProgram::Wait(const std::function<bool()>& stop) {
    while (child_ > 0) {
        if (stop && stop()) {
            outcome_ = Outcome::Stopped;
            Kill();
            break;
        }
        int status = 0;
        const pid_t ended = ::waitpid(child_, &status, WNOHANG);
        if (ended == child_) {
            Reap(status);
            break;
        }
        if (ended < 0 && errno != EINTR) {
            child_ = 0;
            outcome_ = Outcome::Killed;
            break;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return outcome_;
}

}  // namespace zamrit
