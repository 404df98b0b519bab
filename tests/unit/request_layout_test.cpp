#include "capture/request_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

namespace parlowen::capture {
namespace {

// TEXTRANGEA as a control of each width reads it.
struct TextRange32 {
    std::int32_t cpMin, cpMax;
    std::uint32_t text;
};
struct TextRange64 {
    std::int32_t cpMin, cpMax;
    alignas(8) std::uint64_t text;
};

template <typename Range>
Range ReadAs(const std::vector<unsigned char>& bytes) {
    EXPECT_EQ(bytes.size(), sizeof(Range));
    Range range{};
    std::memcpy(&range, bytes.data(), std::min(bytes.size(), sizeof(Range)));
    return range;
}

// Whatever the program's width, the control of the messenger's width reads back the
// range and the address the program wrote, and an address both can name survives the
// message parameter's trip between the widths (truncated one way, sign-extended back).
TEST(RequestLayoutTest, EachWidthReadsBackWhatWasWritten) {
    std::mt19937_64 random(20090106);
    for (int i = 0; i < 10000; ++i) {
        const auto start = static_cast<std::int32_t>(random());
        const auto end = static_cast<std::int32_t>(random());
        const std::uint64_t shared = random() % (HighestSharedAddress(PointerWidth::Bits32, PointerWidth::Bits64) + 1);
        const std::uint64_t any = random();

        const TextRange32 narrow = ReadAs<TextRange32>(EncodeTextRange(PointerWidth::Bits32, start, end, shared));
        EXPECT_EQ(narrow.cpMin, start);
        EXPECT_EQ(narrow.cpMax, end);
        EXPECT_EQ(narrow.text, shared);
        const TextRange64 wide = ReadAs<TextRange64>(EncodeTextRange(PointerWidth::Bits64, start, end, any));
        EXPECT_EQ(wide.cpMin, start);
        EXPECT_EQ(wide.cpMax, end);
        EXPECT_EQ(wide.text, any);
        EXPECT_EQ(static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(shared))), shared);
    }
    EXPECT_EQ(HighestSharedAddress(PointerWidth::Bits64, PointerWidth::Bits32),
              HighestSharedAddress(PointerWidth::Bits32, PointerWidth::Bits64));
    EXPECT_EQ(HighestSharedAddress(PointerWidth::Bits64, PointerWidth::Bits64), UINT64_MAX);
}

}  // namespace
}  // namespace parlowen::capture
