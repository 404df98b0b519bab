#include "shown_bytes.h"
#include "text/blanks.h"
#include "text/gbk.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace {

using namespace std::string_literals;  // "...\0..."s keeps embedded NUL bytes
using parlowen::testing::Shown;

TEST(TrimBlanks, DropsBytesUpTo0x20AtBothEnds) {
    const struct { std::string text, trimmed; } cases[] = {
        {"", ""},
        {" \t\r\n\0\x1F"s, ""},
        {"\0 a \0 b\x20\x01"s, "a \0 b"s},
        {"\x80 x \xA1", "\x80 x \xA1"},  // high bytes are never blanks
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parlowen::text::TrimBlanks(c.text), c.trimmed) << Shown(c.text);
    }
}

TEST(ReplaceAllGbk, MatchesOnlyAtCharacterStarts) {
    const struct { std::string text, pattern, replacement, result; } cases[] = {
        {"a[b[", "[", "", "ab"},
        {"aaa", "aa", "b", "ba"},                      // no overlap
        {"ab", "a", "aa", "aab"},                      // replacement not searched again
        {"x", "", "y", "x"},                           // empty pattern: nothing replaced
        {"\x81[", "[", "", "\x81["},                   // 0x5B as a second byte
        {"[\x81]\x81{\x81}", "]", "", "[\x81]\x81{\x81}"},
        {"\xB0\xA1\xB6\xC0", "\xA1\xB6", "", "\xB0\xA1\xB6\xC0"},  // straddles two characters
        {"\xA1\xB6x\xA1\xB6", "\xA1\xB6", "", "x"},
        {"a\x81", "\x81", "X", "aX"},                  // lead byte at the very end
        {std::string("a\x81\x40", 2), "\x81", "X", "aX"},
        {"\x81(", "(", "", "\x81"},                    // 0x28 cannot be a second byte
        {"\x81\x7F[", "\x7F", "", "\x81["},            // 0x7F cannot be a second byte
        {"\x81\x7F[", "[", "", "\x81\x7F"},
        {"\x81\x40@", "@", "", "\x81\x40"},            // 0x40 can
        {"\x81\xFE[", "[", "", "\x81\xFE"},
        {"\x80[\xFF[", "[", "", "\x80\xFF"},           // 0x80 and 0xFF are not lead bytes
        {"a\x81\x40" "a\x81\x40", "a\x81", "X", "X\x40X\x40"},  // boundaries of the original text
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parlowen::text::ReplaceAllGbk(c.text, c.pattern, c.replacement), c.result)
            << Shown(c.text) << " / " << Shown(c.pattern);
    }
}

TEST(GbkCharLength, NeverStepsPastTheText) {
    const struct { std::string_view text; std::size_t length; } cases[] = {
        {"a", 1}, {"\x81\x40", 2}, {"\xFE\xFE", 2}, {"\xA1\xB6", 2},
        {std::string_view("\x81\x40", 1), 1},  // the view ends after the lead byte
        {"\x81\x7F", 1}, {"\x81\x3F", 1}, {"\x81\xFF", 1}, {"\x80\x40", 1}, {"\xFF\x40", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parlowen::text::GbkCharLength(c.text, 0), c.length) << Shown(c.text);
    }
}

}  // namespace
