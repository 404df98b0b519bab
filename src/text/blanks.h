// Blanks, as chat text and the log treat them: the bytes 0x00-0x20.
#pragma once

#include <string>
#include <string_view>

namespace parlowen::text {

constexpr bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// The text without its leading and trailing bytes 0x00-0x20.
std::string TrimBlanks(std::string_view text);
// The same without a copy, for a transcript that can run to megabytes.
std::string_view TrimmedView(std::string_view text);

}  // namespace parlowen::text
