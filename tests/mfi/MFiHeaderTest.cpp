#include "mfi/MFiHeader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mfi/MFiInfo.h"
#include "mfi/MFiFixtures.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Bytes;
using testing::RecordedReports;

MFiBytes View(const Bytes& bytes) { return MFiBytes(bytes, 0x60000); }

struct HeaderCase {
    const char* id;
    std::uint8_t voiceCode;
    std::int32_t voiceType;
};

TEST(MFiHeaderTest, FileIdAndVoiceCodeGiveTheVoiceType) {
    const HeaderCase cases[] = {
        {"melo", 4, 4},   {"melo", 1, 1},   {"melo", 6, 6},   {"melo", 0, 0},
        {"cmid", 1, 254}, {"cmid", 0, 255}, {"cmid", 2, 255}, {"Melo", 4, 251},
        {"CMID", 1, 251}, {"trac", 4, 251},
    };
    for (const HeaderCase& c : cases) {
        RecordedReports reports;
        const Bytes bytes = MFiWriter(c.voiceCode, c.id, 7, 9).Bytes();
        const MFiHeader header(View(bytes));
        EXPECT_EQ(header.voiceType, c.voiceType) << c.id << " " << int{c.voiceCode};
        EXPECT_EQ(header.IdText(), c.id);
        EXPECT_EQ(header.majorType, 7);
        EXPECT_EQ(header.minorType, 9);
        if (c.voiceType == 251) {
            EXPECT_THAT(reports.Lines(), ElementsAre("MFHD21000002 MFi Voice type is wrong!"));
        } else {
            EXPECT_THAT(reports.Lines(), IsEmpty());
        }
    }
}

TEST(MFiHeaderTest, ShortImageReadsZerosPastItsEnd) {
    RecordedReports reports;
    const Bytes bytes{'m', 'e', 'l', 'o'};
    const MFiHeader header(View(bytes));
    EXPECT_EQ(header.voiceType, 0);
    EXPECT_EQ(header.majorType, 0);
    EXPECT_THAT(reports.Lines(), IsEmpty());
}

TEST(MFiHeaderTest, DefaultHeadersFollowTheVoiceType) {
    struct Case {
        std::int32_t asked;
        const char* id;
        int major, minor;
        std::int32_t voiceType;
    };
    const Case cases[] = {{4, "melo", 1, 1, 4},     {5, "melo", 2, 1, 5},     {7, "melo", 2, 1, 7},
                          {32, "melo", 2, 1, 32},   {254, "cmid", 2, 1, 254}, {255, "cmid", 2, 1, 255},
                          {1, "melo", 1, 1, 1},     {250, "melo", 1, 1, 1},   {3, "melo", 1, 1, 1}};
    for (const Case& c : cases) {
        const MFiHeader header(c.asked);
        EXPECT_EQ(header.IdText(), c.id) << c.asked;
        EXPECT_EQ(header.majorType, c.major) << c.asked;
        EXPECT_EQ(header.minorType, c.minor) << c.asked;
        EXPECT_EQ(header.voiceType, c.voiceType) << c.asked;
    }
}

// The information area of a file written by the writer: the bytes from offset 13 on.
MFiInfo ReadInfo(const MFiWriter& file, std::int32_t lengthDelta = 0) {
    static Bytes bytes;
    bytes = file.Bytes();
    const std::int32_t headerLength = (bytes[8] << 8) | bytes[9];
    return MFiInfo(View(bytes).From(13), headerLength - 3 + lengthDelta);
}

std::string Text(const MFiInfoChunk* chunk) {
    if (chunk == nullptr) return "(none)";
    return std::string(chunk->Bytes().begin(), chunk->Bytes().end());
}

TEST(MFiInfoTest, ReadsChunksIntoTheirSlotsAndALaterChunkReplacesAnEarlierOne) {
    MFiWriter file;
    file.InfoText("titl", "First").InfoText("vers", "0200").InfoText("titl", "Second")
        .Info("note", Bytes{});
    const MFiInfo info = ReadInfo(file);
    EXPECT_EQ(Text(info.Find("titl")), "Second");
    EXPECT_EQ(Text(info.Slot(2)), "0200");
    ASSERT_NE(info.Find("note"), nullptr);
    EXPECT_EQ(info.Find("note")->length, 0u);
    EXPECT_EQ(info.Find("sorc"), nullptr);
    EXPECT_EQ(info.parsedSize, 11 + 10 + 12 + 6);
}

TEST(MFiInfoTest, VersionIsComparedAsAWholeText) {
    struct Case {
        Bytes data;
        bool is0200;
    };
    const Case cases[] = {{{'0', '2', '0', '0'}, true},
                          {{'0', '2', '0', '0', 0, 'x'}, true},  // the text ends at the zero
                          {{'0', '2', '0', '0', '0'}, false},
                          {{'0', '2', '0'}, false},
                          {{}, false}};
    for (const Case& c : cases) {
        MFiWriter file;
        file.Info("vers", c.data);
        EXPECT_EQ(ReadInfo(file).VersionIs("0200"), c.is0200) << c.data.size();
    }
    EXPECT_FALSE(ReadInfo(MFiWriter()).VersionIs("0200"));
}

TEST(MFiInfoTest, UnknownIdsAreSteppedOverAndLongChunksKeepTheirFirst256Bytes) {
    Bytes longTitle(300, 'a');
    longTitle[255] = 'z';
    MFiWriter file;
    file.InfoText("xxxx", "skip me").Info("titl", longTitle).InfoText("auth", "me");
    const MFiInfo info = ReadInfo(file);
    ASSERT_NE(info.Find("titl"), nullptr);
    EXPECT_EQ(info.Find("titl")->length, 256u);
    EXPECT_EQ(info.Find("titl")->data[255], 'z');
    EXPECT_EQ(Text(info.Find("auth")), "me");
    EXPECT_EQ(info.parsedSize, 13 + 306 + 8);
}

TEST(MFiInfoTest, ScanStopsAtTheInformationLengthAndReadsDataPastItFromTheImage) {
    MFiWriter file;
    file.InfoText("titl", "Tune").InfoText("copy", "Me");
    EXPECT_EQ(ReadInfo(file, -8).Find("copy"), nullptr);
    // A length that ends inside a chunk's data still reads the chunk whole.
    const MFiInfo cut = ReadInfo(file, 7 - 18);
    EXPECT_EQ(Text(cut.Find("titl")), "Tune");
    EXPECT_EQ(cut.parsedSize, 10);

    for (std::int32_t length : {0, -1, -3}) {
        const MFiInfo none = ReadInfo(file, length - 18);
        EXPECT_EQ(none.Find("titl"), nullptr);
        EXPECT_EQ(none.parsedSize, 0);
    }
}

TEST(MFiInfoTest, AreaOfZerosOrPastTheImageEnds) {
    const Bytes zeros(64, 0);
    const MFiInfo info(View(zeros), 64);
    EXPECT_EQ(info.parsedSize, 66);  // eleven empty unknown chunks of 6 bytes
    const MFiInfo past(View(zeros).From(1000), 0xFFFF);
    EXPECT_EQ(past.parsedSize, 65538);  // 10,923 empty chunks of 6 bytes

    // After the last loaded chunk every byte reads as zero: empty chunks up to the length.
    const Bytes title{'t', 'i', 't', 'l', 0, 4, 'T', 'u', 'n', 'e'};
    const MFiInfo tail(View(title), 101);
    EXPECT_EQ(Text(tail.Find("titl")), "Tune");
    EXPECT_EQ(tail.parsedSize, 10 + 16 * 6);
}

TEST(MFiInfoTest, DefaultSetsFollowTheVoiceType) {
    const MFiInfo four(4, "no title", "no copyright", 0);
    EXPECT_EQ(Text(four.Find("titl")), "no title");
    EXPECT_THAT(four.Find("sorc")->Bytes(), ElementsAre(0));
    EXPECT_EQ(Text(four.Find("vers")), "0200");
    EXPECT_EQ(Text(four.Find("copy")), "no copyright");
    EXPECT_THAT(four.Find("note")->Bytes(), ElementsAre(0, 1));
    for (const char* absent : {"code", "date", "prot", "exst", "supt", "auth"}) {
        EXPECT_EQ(four.Find(absent), nullptr) << absent;
    }
    EXPECT_EQ(four.parsedSize, 0);

    const MFiInfo cmid(254, "t", "c", 5);
    EXPECT_THAT(cmid.Find("code")->Bytes(), ElementsAre(0x80));
    EXPECT_THAT(cmid.Find("exst")->Bytes(), ElementsAre(0, 0));
    EXPECT_EQ(cmid.Find("copy"), nullptr);

    EXPECT_EQ(Text(MFiInfo(1, "t", "c", 0).Find("vers")), "0100");
    EXPECT_EQ(Text(MFiInfo(32, "t", "c", 0).Find("vers")), "0300");
    EXPECT_EQ(MFiInfo(1, "t", "c", 0).Find("note"), nullptr);
    EXPECT_EQ(MFiInfo(250, "t", "c", 0).Find("vers"), nullptr);
}

}  // namespace
}  // namespace zamrit
