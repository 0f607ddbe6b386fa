// Another program run to its end or stopped, with nothing of it left behind, and the private
// temporary folder it works in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/ChildProgram.h"
#include "platform/TemporaryFolder.h"

namespace zamrit {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// The number a file names, once the shell has written it.
pid_t PidIn(const fs::path& file) {
    for (int i = 0; i < 500; ++i) {
        std::ifstream in(file);
        pid_t pid = 0;
        if (in >> pid && pid > 0) return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

// Alive, and not a zombie waiting for whoever adopted it to reap it.
bool Running(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return false;
    const auto state = text.find(") ");
    return state != std::string::npos && text.at(state + 2) != 'Z';
}

TEST(ChildProgramTest, RunsToItsEndWithItsOutputInTheLog) {
    const TemporaryFolder folder("zamrit-child-test");
    ASSERT_TRUE(folder.Made()) << folder.Problem();
    const fs::path log = folder.Path() / "log";
    ChildProgram program({"/bin/sh", "-c", "echo out; echo err >&2; exit 3"}, log.string());
    ASSERT_TRUE(program.Started()) << program.Problem();
    EXPECT_EQ(program.Wait(), ChildProgram::Outcome::Exited);
    EXPECT_EQ(program.ExitStatus(), 3);
    std::ifstream in(log);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(text, "out\nerr\n");

    ChildProgram missing({"/zamrit-nowhere/program"}, log.string());
    EXPECT_FALSE(missing.Started());
    EXPECT_THAT(missing.Problem(), HasSubstr("Can not start /zamrit-nowhere/program: "));
    EXPECT_EQ(missing.Wait(), ChildProgram::Outcome::NotStarted);
}

// A stop, or the program's object going, ends the program and what it started in turn, even
// a part that ignores SIGTERM.
TEST(ChildProgramTest, AStopEndsTheProgramAndWhatItStarted) {
    const TemporaryFolder folder("zamrit-child-test");
    ASSERT_TRUE(folder.Made()) << folder.Problem();
    for (const bool byStop : {true, false}) {
        SCOPED_TRACE(byStop);
        const fs::path pids = folder.Path() / (byStop ? "stop" : "gone");
        pid_t started = 0;
        {
            ChildProgram program({"/bin/sh", "-c", "trap '' TERM; sleep 60 & echo $! > " + pids.string() + "; wait"},
                                 (folder.Path() / "log").string());
            ASSERT_TRUE(program.Started());
            started = PidIn(pids);
            ASSERT_GT(started, 0);
            if (byStop) {
                std::atomic<int> asked{0};
                EXPECT_EQ(program.Wait([&asked] { return ++asked > 3; }), ChildProgram::Outcome::Stopped);
            }
        }
        for (int i = 0; i < 200 && Running(started); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_FALSE(Running(started));
    }
}

TEST(TemporaryFolderTest, IsRemovedWithItsFilesOrSaysWhyItCanNotBeMade) {
    fs::path made;
    {
        const TemporaryFolder folder("zamrit-folder-test");
        ASSERT_TRUE(folder.Made());
        made = folder.Path();
        EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all);
        std::ofstream(made / "file") << "x";
    }
    EXPECT_FALSE(fs::exists(made));

    const char* before = std::getenv("TMPDIR");
    const std::string saved = before != nullptr ? before : "";
    ::setenv("TMPDIR", "/zamrit-nowhere", 1);
    const TemporaryFolder missing("zamrit-folder-test");
    if (before != nullptr) ::setenv("TMPDIR", saved.c_str(), 1);
    else ::unsetenv("TMPDIR");
    EXPECT_FALSE(missing.Made());
    EXPECT_EQ(missing.Problem(), "Can not make a temporary folder in /zamrit-nowhere: No such file or directory");
}

}  // namespace
}  // namespace zamrit
