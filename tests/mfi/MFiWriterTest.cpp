#include "tools/MFiWriter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using Bytes = std::vector<std::uint8_t>;

TEST(MFiWriterTest, EventsHaveTheirBitFields) {
    MFiEventWriter events;
    events.Note(5, 1, 10, 0x30, 18, 3)
        .ShortNote(2, 3, 63, 7)
        .Tempo(0, 3, 120)
        .Program(0, 2, 5)
        .Exclusive(1, Bytes{0x71, 0xB0});
    EXPECT_THAT(events.Events(),
                ElementsAre(5, 0x4A, 0x30, 0x4B,           // note: channel 1, key 10, v 18, s 3
                            2, 0xFF, 7,                    // 3-byte note: channel 3, key 63
                            0, 0xFF, 0xC3, 120,            // tempo
                            0, 0xFF, 0xE0, 0x85,           // program 5 on channel 2
                            1, 0xFF, 0xFF, 0, 2, 0x71, 0xB0));  // exclusive
    EXPECT_THAT(MFiEventWriter().Command(7, 0xD1, 0).Chunk(),
                ElementsAre('t', 'r', 'a', 'c', 0, 0, 0, 4, 7, 0xFF, 0xD1, 0));
}

TEST(MFiWriterTest, FileHasHeadInformationAndTracks) {
    MFiWriter file(5, "melo", 2, 1);
    file.InfoText("vers", "0200").Track(MFiEventWriter().Command(0, 0xDE, 0));
    const Bytes expected{'m', 'e', 'l', 'o', 0, 0, 0, 27,   // 27 bytes follow
                         0, 13,                              // 3 type bytes + 10 of "vers"
                         2, 1, 5,
                         'v', 'e', 'r', 's', 0, 4, '0', '2', '0', '0',
                         't', 'r', 'a', 'c', 0, 0, 0, 4, 0, 0xFF, 0xDE, 0};
    EXPECT_THAT(file.Bytes(), ElementsAreArray(expected));
    EXPECT_THAT(MFiWriter().HeaderLength(1).Bytes(),
                ElementsAre('m', 'e', 'l', 'o', 0, 0, 0, 5, 0, 1, 1, 1, 4));
}

TEST(MFiWriterTest, WritesTheBytesToAFile) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("mfi-writer-test-" + std::to_string(::getpid()) + ".dat");
    MFiWriter file(1);
    file.Track(MFiEventWriter().ShortNote(0, 0, 10, 48));
    ASSERT_TRUE(file.WriteFile(path));
    std::ifstream in(path, std::ios::binary);
    const Bytes read{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(read, file.Bytes());
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace zamrit
