#include "melody/MusicEvent.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::RecordedReports;

std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first = 1) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

TEST(MusicEventTest, NewEventsAreZeroWithoutDataAndWithoutChannel) {
    const MusicEvent event(42);
    EXPECT_EQ(event.delta, 42);
    EXPECT_EQ(event.kind, 0);
    EXPECT_EQ(event.dataLength, 0);
    EXPECT_EQ(event.GetData(), nullptr);
    EXPECT_EQ(event.channel, MusicEvent::kNoChannel);
}

TEST(MusicEventTest, SetDataStoresACopyWithEightZeroBytesBehind) {
    MusicEvent event;
    const auto bytes = Bytes(3);
    event.SetData(bytes);
    ASSERT_NE(event.GetData(), nullptr);
    EXPECT_EQ(event.dataLength, 3);
    EXPECT_EQ(event.data.size(), 11u);
    EXPECT_THAT(std::vector<std::uint8_t>(event.data.data(), event.data.data() + 11),
                ElementsAre(1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0));
}

TEST(MusicEventTest, DataOverTwoHundredFiftySixBytesIsStoredAndReported) {
    RecordedReports reports;
    MusicEvent event;
    event.SetData(Bytes(256));
    EXPECT_THAT(reports.Lines(), IsEmpty());

    event.SetData(Bytes(257, 7));
    EXPECT_EQ(event.dataLength, 257);
    EXPECT_EQ(event.DataBytes().back(), static_cast<std::uint8_t>(7 + 256));
    EXPECT_THAT(reports.Lines(),
                ElementsAre("MUEV06000001 Event data size is too large! If it includes MFi "
                            "terminal tone data, it would not be a problem."));
}

TEST(MusicEventTest, SetDataWithNoBytesKeepsTheOldData) {
    MusicEvent event;
    event.SetData(Bytes(2));
    event.SetData({});
    EXPECT_EQ(event.dataLength, 2);
    EXPECT_THAT(event.DataBytes(), ElementsAre(1, 2));
}

TEST(MusicEventTest, FreeDataReleasesTheBytesButKeepsTheLength) {
    MusicEvent event;
    event.SetData(Bytes(4));
    event.FreeData();
    EXPECT_EQ(event.GetData(), nullptr);
    EXPECT_EQ(event.dataLength, 4);
    EXPECT_THAT(event.DataBytes(), IsEmpty());
}

TEST(MusicEventTest, CopyFromCopiesEverythingButTheChannelDeeply) {
    MusicEvent source(10);
    source.kind = 0xFF;
    source.key = 1;
    source.duration = 2;
    source.velocity = 3;
    source.code = 4;
    source.value = 5;
    source.channel = 7;
    source.SetData(Bytes(300));

    RecordedReports reports;
    MusicEvent copy;
    copy.channel = 2;
    copy.CopyFrom(source);
    EXPECT_THAT(reports.Lines(), IsEmpty()) << "copies make no size report";
    EXPECT_EQ(copy.delta, 10);
    EXPECT_EQ(copy.kind, 0xFF);
    EXPECT_EQ(copy.key, 1);
    EXPECT_EQ(copy.duration, 2);
    EXPECT_EQ(copy.velocity, 3);
    EXPECT_EQ(copy.code, 4);
    EXPECT_EQ(copy.value, 5);
    EXPECT_EQ(copy.channel, 2);
    EXPECT_EQ(copy.dataLength, 300);
    EXPECT_NE(copy.GetData(), source.GetData());
    EXPECT_TRUE(std::equal(source.DataBytes().begin(), source.DataBytes().end(),
                           copy.DataBytes().begin(), copy.DataBytes().end()));
}

TEST(MusicEventTest, CopyFromAnEventWithoutDataReleasesTheOldData) {
    MusicEvent target;
    target.SetData(Bytes(5));
    target.CopyFrom(MusicEvent(3));
    EXPECT_EQ(target.GetData(), nullptr);
    EXPECT_EQ(target.dataLength, 0);
}

}  // namespace
}  // namespace zamrit
