#include "melody/FileBuffer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "melody/Block.h"
#include "melody/MusicConversions.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::RecordedReports;

class FileBufferTest : public ::testing::Test {
protected:
    std::string WriteFile(const std::string& name, std::size_t size) {
        const std::string path = (directory_ / name).string();
        std::ofstream out(path, std::ios::binary);
        for (std::size_t i = 0; i < size; ++i) out.put(static_cast<char>(i % 251 + 1));
        return path;
    }

    void TearDown() override { std::filesystem::remove_all(directory_); }

    std::filesystem::path directory_ = [] {
        const auto path = std::filesystem::temp_directory_path() /
                          ("zamrit-" + std::string(::testing::UnitTest::GetInstance()
                                                       ->current_test_info()
                                                       ->name()));
        std::filesystem::create_directories(path);
        return path;
    }();
};

TEST_F(FileBufferTest, MissingFileShowsItsNameThenCantOpenAndLeavesTheBufferEmpty) {
    RecordedReports reports;
    FileBuffer buffer(0x60000);
    const std::string missing = (directory_ / "MN_07_01.dat").string();

    EXPECT_EQ(buffer.Load(missing), 0);
    EXPECT_THAT(reports.Lines(), ElementsAre(missing, "GENE01000007 Cant open file!"));
    EXPECT_EQ(buffer.length, 0);
    EXPECT_EQ(buffer.ByteAt(0), 0);
}

TEST_F(FileBufferTest, ADirectoryCannotBeOpened) {
    RecordedReports reports;
    FileBuffer buffer(0x60000);
    EXPECT_EQ(buffer.Load(directory_.string()), 0);
    EXPECT_EQ(reports.Lines().size(), 2u);
}

// Only a regular file is read: a FIFO or a device named like a measure file is reported as a
// file that can't be opened, at once. (A loader that opens a FIFO waits for a writer: the
// helper thread plays one, so that such a loader ends and the test fails instead of hanging.)
TEST_F(FileBufferTest, AFifoOrADeviceIsReportedAsAFileThatCantBeOpenedWithoutWaiting) {
    const std::string fifo = (directory_ / "MN_07_01.dat").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> loaded{false};
    std::thread writer([&] {
        while (!loaded) {
            const int end = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // opens once a reader waits
            if (end >= 0) {
                ::close(end);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    for (const std::string& name : {fifo, std::string("/dev/null"), std::string("/dev/zero")}) {
        RecordedReports reports;
        FileBuffer buffer(0x60000);
        EXPECT_EQ(buffer.Load(name), 0) << name;
        EXPECT_THAT(reports.Lines(), ElementsAre(name, "GENE01000007 Cant open file!"));
        EXPECT_EQ(buffer.length, 0) << name;
    }
    loaded = true;
    writer.join();
}

// A file without a byte holds no melody, and says so with its name.
TEST_F(FileBufferTest, AnEmptyFileIsReportedWithItsName) {
    RecordedReports reports;
    FileBuffer buffer(0x60000);
    const std::string empty = WriteFile("MN_01_02.dat", 0);
    EXPECT_EQ(buffer.Load(empty), 1);
    EXPECT_EQ(buffer.length, 0);
    EXPECT_THAT(reports.Lines(), ElementsAre(empty, "The file is empty."));
}

TEST_F(FileBufferTest, LoadsTheWholeFileAndReadsZeroPastIt) {
    RecordedReports reports;
    FileBuffer buffer(0x60000);
    EXPECT_EQ(buffer.Load(WriteFile("small.dat", 10)), 1);
    EXPECT_EQ(buffer.length, 10);
    EXPECT_EQ(buffer.ByteAt(0), 1);
    EXPECT_EQ(buffer.ByteAt(9), 10);
    EXPECT_EQ(buffer.ByteAt(10), 0);
    EXPECT_EQ(buffer.ByteAt(0x60000 + 5), 0);
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST_F(FileBufferTest, AFileLongerThanTheCapacityIsCutSilently) {
    RecordedReports reports;
    FileBuffer buffer(0x60000);
    EXPECT_EQ(buffer.Load(WriteFile("big.dat", 0x60000 + 100)), 1);
    EXPECT_EQ(buffer.length, 0x60000);
    EXPECT_EQ(buffer.ByteAt(0x60000), 0);
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST_F(FileBufferTest, OnlyTheLargeCapacityReportsAFileThatFillsIt) {
    RecordedReports reports;
    FileBuffer large(0xF0000);
    EXPECT_EQ(LoadFile(WriteFile("full.dat", 0xF0000), large, 0xF0000), 1);
    EXPECT_THAT(reports.Lines(), ElementsAre("GENE0100000A data size is too large!"));
    EXPECT_EQ(large.length, 0xF0000);

    reports.Clear();
    FileBuffer almost(0xF0000);
    EXPECT_EQ(LoadFile(WriteFile("almost.dat", 0xF0000 - 1), almost, 0xF0000), 1);
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST(BlockTest, BlocksAreZeroFilledAndFreedByTheirOwner) {
    Block block = AllocBlock(100);
    ASSERT_EQ(block.size(), 100u);
    for (std::uint8_t byte : block.bytes()) EXPECT_EQ(byte, 0);
    FreeBlock(block);
    EXPECT_TRUE(block.empty());
    EXPECT_EQ(block.data(), nullptr);
}

TEST(BlockDeathTest, ABlockTheHeapRefusesIsReportedAndEndsTheProgram) {
    EXPECT_EXIT(AllocBlock(std::size_t{1} << 60), ::testing::ExitedWithCode(EXIT_FAILURE),
                "GENE01000002 Needs more memory!");
}

TEST(MusicConversionsTest, TempoToBpmInWholeBeatsPerMinute) {
    RecordedReports reports;
    EXPECT_EQ(TempoToBpm(500000), 120);
    EXPECT_EQ(TempoToBpm(1000), 60000);
    EXPECT_EQ(TempoToBpm(7500000), 8);
    EXPECT_THAT(reports.Lines(), IsEmpty());

    EXPECT_EQ(TempoToBpm(999), 60000);
    EXPECT_EQ(TempoToBpm(0), 60000);
    EXPECT_THAT(reports.Lines(),
                ElementsAre("GENE01000012 General Error", "GENE01000012 General Error"));
}

TEST(MusicConversionsTest, TimeSignatureDataBytes) {
    struct Case {
        std::int32_t packed;
        std::array<std::uint8_t, 4> bytes;
    };
    const Case cases[] = {
        {3 * 256 + 4, {3, 2, 18, 8}},
        {6 * 256 + 8, {6, 3, 18, 8}},
        {2 * 256 + 2, {2, 1, 18, 8}},
        {5 * 256 + 6, {5, 2, 18, 8}},  // not a power of two: rounded down
        {4 * 256 + 1, {4, 0, 18, 8}},
        {4 * 256 + 0, {4, 0, 18, 8}},  // no denominator: ends, power 0
        {-4, {0, 0, 18, 8}},           // negative: ends, power 0
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeTimeSignatureData(c.packed), c.bytes) << c.packed;
    }
}

}  // namespace
}  // namespace zamrit
