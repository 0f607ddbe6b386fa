#include "melody/EventList.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace zamrit {
namespace {

EventList Numbered(std::int32_t count, std::int32_t first) {
    EventList list;
    for (std::int32_t i = 0; i < count; ++i) list.Append(MusicEvent(first + i));
    return list;
}

void ExpectNumbered(const EventList& list, std::int32_t count, std::int32_t first) {
    ASSERT_EQ(list.count(), count);
    for (std::int32_t i = 0; i < count; ++i) EXPECT_EQ(list[i].delta, first + i) << i;
}

// Lists dropped by this thread lend their storage to the next ones: whatever sizes come and
// go, a new list starts empty and holds exactly what was put into it.
TEST(EventListTest, ListsBuiltOneAfterAnotherHoldOnlyTheirOwnEvents) {
    constexpr std::int32_t kSizes[] = {1, 63, 64, 1000, 5000, 9000, 200, 1000, 3, 70000};
    std::int32_t first = 0;
    for (int round = 0; round < 3; ++round) {
        for (const std::int32_t size : kSizes) {
            const EventList list = Numbered(size, first);
            ExpectNumbered(list, size, first);
            first += size;
        }
    }
    // Several alive at once, dropped together, then built again.
    for (int round = 0; round < 2; ++round) {
        std::vector<EventList> alive;
        for (std::int32_t i = 0; i < 12; ++i) alive.push_back(Numbered(100 * (i + 1), i));
        for (std::int32_t i = 0; i < 12; ++i) ExpectNumbered(alive[i], 100 * (i + 1), i);
    }
    EventList reserved;
    reserved.Reserve(500);
    EXPECT_TRUE(reserved.empty());
}

TEST(EventListTest, MovingAListHandsOverItsEventsAndLeavesTheSourceEmpty) {
    EventList target = Numbered(300, 7);
    EventList source = Numbered(200, 1000);
    target = std::move(source);
    ExpectNumbered(target, 200, 1000);
    EXPECT_TRUE(source.empty());  // NOLINT(bugprone-use-after-move): empty by contract
    source.Append(MusicEvent(5));
    ExpectNumbered(source, 1, 5);

    EventList moved(std::move(target));
    ExpectNumbered(moved, 200, 1000);
}

// Inserting at the front while the list grows keeps the order (the elements move into a
// larger block as the list grows).
TEST(EventListTest, InsertsAndErasesKeepTheOrderAcrossGrowth) {
    EventList list;
    for (std::int32_t i = 0; i < 150; ++i) list.Insert(0, MusicEvent(i));
    ASSERT_EQ(list.count(), 150);
    for (std::int32_t i = 0; i < 150; ++i) EXPECT_EQ(list[i].delta, 149 - i);
    list.Erase(0);
    list.Truncate(10);
    ASSERT_EQ(list.count(), 10);
    EXPECT_EQ(list[0].delta, 148);
    EXPECT_EQ(list.back().delta, 139);
}

TEST(EventListTest, RefusesEventsPastItsCapacity) {
    EventList list = Numbered(EventList::kCapacity, 0);
    EXPECT_EQ(list.Append(MusicEvent(1)), nullptr);
    EXPECT_EQ(list.Insert(0, MusicEvent(1)), nullptr);
    EXPECT_EQ(list.count(), EventList::kCapacity);
    EXPECT_EQ(list[0].delta, 0);
}

}  // namespace
}  // namespace zamrit
