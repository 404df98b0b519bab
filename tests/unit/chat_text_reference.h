// The transcript's line rules written plainly, on the split transcript: the model the
// capture's scan from the end is held to by the unit tests and the fuzz target.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::testing::reference {

// Lines end at CR, LF, CR LF or (after a line) LF CR starts an empty line; a NUL byte
// ends the text. Lines are not trimmed; no empty last line after a final break.
inline std::vector<std::string> SplitLines(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", begin), text.size());
        lines.emplace_back(text.substr(begin, end - begin));
        begin = end;
        if (begin < text.size() && text[begin] == '\r') ++begin;
        if (begin < text.size() && text[begin] == '\n') ++begin;
    }
    return lines;
}

}  // namespace parlowen::testing::reference
