// Characters of GBK (code page 936) text: one byte, or a lead byte and a trail byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace parlowen::text {

// Length in bytes (1 or 2) of the GBK character that starts at `pos` (< text.size()).
// Invalid GBK (a lead byte 0x81-0xFE at the end, or followed by a byte outside
// 0x40-0xFE or by 0x7F) counts as a one-byte character, so stepping never leaves the text.
std::size_t GbkCharLength(std::string_view text, std::size_t pos);

// An ASCII letter or digit: what a word of letters and digits is made of. Test a byte
// only where a one-byte character stands: a trail byte may fall in that range too.
constexpr bool IsAsciiWordByte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Replaces every occurrence of `pattern` that starts at a GBK character boundary by
// `replacement`; the replacement is never searched again. Character boundaries are
// those of `text` decoded from its start with GbkCharLength. An empty pattern
// replaces nothing.
std::string ReplaceAllGbk(std::string_view text, std::string_view pattern,
                          std::string_view replacement);

// The joiner of "<name> 说：<text>": U+8BF4 and the fullwidth colon, in GBK.
inline constexpr std::string_view kSaid = "\xCB\xB5\xA3\xBA";
// The same after a space, as the log's header lines end.
inline constexpr std::string_view kSpacedSaid = " \xCB\xB5\xA3\xBA";

}  // namespace parlowen::text
