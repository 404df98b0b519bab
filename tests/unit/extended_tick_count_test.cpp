#include "win32/extended_tick_count.h"

#include <gtest/gtest.h>

namespace {

using parlowen::win32::ExtendTickCount;

TEST(ExtendTickCount, CountsOnAcrossTheWrapOfTheThirtyTwoBitCount) {
    std::atomic<std::uint64_t> last{0};
    EXPECT_EQ(ExtendTickCount(last, 1000), 1000u);
    EXPECT_EQ(ExtendTickCount(last, 0xFFFFFFF0u), 0xFFFFFFF0u);
    EXPECT_EQ(ExtendTickCount(last, 5), 0x100000005u);
    EXPECT_EQ(ExtendTickCount(last, 0xFFFFFFFFu), 0x1FFFFFFFFu);
    EXPECT_EQ(ExtendTickCount(last, 0), 0x200000000u);
    EXPECT_EQ(last.load(), 0x200000000u);
}

TEST(ExtendTickCount, AnOlderReadingOfAnotherThreadIsNoWrap) {
    std::atomic<std::uint64_t> last{0x100000010u};
    EXPECT_EQ(ExtendTickCount(last, 0x0F), 0x100000010u);
    EXPECT_EQ(ExtendTickCount(last, 0x11), 0x100000011u);
}

}  // namespace
