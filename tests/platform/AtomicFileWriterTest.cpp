#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "support/FileSizeLimit.h"

namespace zamrit {
namespace {

namespace fs = std::filesystem;

// A folder of the test's own, removed after it.
class AtomicFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("zamrit-atomic-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path Path(const std::string& name) const { return folder_ / name; }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static void Put(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

    // The names in the folder, so that a temporary left behind shows.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
};

TEST_F(AtomicFileWriterTest, ReplacesTheTargetOnlyWhenCommittedAndKeepsItsPermissions) {
    Put(Path("piece.mid"), "old");
    ::chmod(Path("piece.mid").c_str(), 0640);
    {
        AtomicFileWriter file(Path("piece.mid").string());
        ASSERT_TRUE(file.IsOpen());
        EXPECT_TRUE(file.Write(std::string_view("new file")));
        const std::uint8_t header[] = {'N', 'E', 'W'};
        EXPECT_TRUE(file.WriteAt(0, header));
        EXPECT_EQ(Read(Path("piece.mid")), "old") << "the target changes only at the commit";
        EXPECT_EQ(Names().size(), 2u);
        EXPECT_TRUE(file.Commit());
        EXPECT_TRUE(file.Problem().empty());
    }
    EXPECT_EQ(Read(Path("piece.mid")), "NEW file");
    EXPECT_EQ(Names(), std::vector<std::string>{"piece.mid"});
    EXPECT_EQ(fs::status(Path("piece.mid")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    EXPECT_EQ(AtomicFileWriter::WriteWhole(Path("new.txt").string(), "whole"), std::nullopt);
    EXPECT_EQ(Read(Path("new.txt")), "whole");
}

TEST_F(AtomicFileWriterTest, AFailedOrAbandonedWriteLeavesTheOldFileAndNoTemporary) {
    const std::string old(1000, 'o');
    Put(Path("piece.wav"), old);
    {
        // The disk fills up half way through the new file.
        const testing::FileSizeLimit limit(4096);
        AtomicFileWriter file(Path("piece.wav").string());
        EXPECT_FALSE(file.Write(std::string(10000, 'n')));
        EXPECT_FALSE(file.Write(std::string_view("more")));
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(file.Problem(), "File too large");
    }
    EXPECT_EQ(Read(Path("piece.wav")), old);
    EXPECT_EQ(Names(), std::vector<std::string>{"piece.wav"});

    {
        AtomicFileWriter abandoned(Path("piece.wav").string());
        abandoned.Write(std::string_view("never committed"));
    }
    {
        AtomicFileWriter discarded(Path("piece.wav").string());
        discarded.Write(std::string_view("given up"));
        discarded.Discard();
        EXPECT_FALSE(discarded.Commit());
    }
    EXPECT_EQ(Read(Path("piece.wav")), old);
    EXPECT_EQ(Names(), std::vector<std::string>{"piece.wav"});
}

TEST_F(AtomicFileWriterTest, TwoWritersOfOneTargetEachKeepTheirOwnFileAndTheLastCommitWins) {
    AtomicFileWriter first(Path("same.wav").string());
    AtomicFileWriter second(Path("same.wav").string());
    for (int block = 0; block < 100; ++block) {
        first.Write(std::string(512, 'a'));
        second.Write(std::string(512, 'b'));
    }
    EXPECT_TRUE(first.Commit());
    EXPECT_EQ(Read(Path("same.wav")), std::string(51200, 'a'));
    EXPECT_TRUE(second.Commit());
    EXPECT_EQ(Read(Path("same.wav")), std::string(51200, 'b'));
    EXPECT_EQ(Names(), std::vector<std::string>{"same.wav"});
}

TEST_F(AtomicFileWriterTest, ALinkStaysAndTheFileItNamesIsReplaced) {
    fs::create_directory(Path("real"));
    Put(Path("real/piece.ly"), "old");
    fs::create_symlink(Path("real/piece.ly"), Path("link.ly"));
    EXPECT_EQ(AtomicFileWriter::WriteWhole(Path("link.ly").string(), "new"), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(Path("link.ly")));
    EXPECT_EQ(Read(Path("real/piece.ly")), "new");
}

TEST_F(AtomicFileWriterTest, TargetsThatCanNotBeWrittenSayWhyAndLeaveNothing) {
    struct Case {
        std::string target;
        std::string problem;
    };
    const std::vector<Case> cases{
        {Path("missing/piece.mid").string(), "No such file or directory"},
        {"", "No such file or directory"},
        {folder_.string(), "Is a directory"},
        // Not a regular file: written in place, and the device's refusal shows.
        {"/dev/full", "No space left on device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        EXPECT_EQ(AtomicFileWriter::WriteWhole(c.target, "bytes"), c.problem);
    }
    EXPECT_TRUE(Names().empty());
    // A device that takes the bytes is written in place and stays a device.
    EXPECT_EQ(AtomicFileWriter::WriteWhole("/dev/null", "bytes"), std::nullopt);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
}  // namespace zamrit
