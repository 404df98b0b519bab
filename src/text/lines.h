// The lines of a text as the program's lists keep them: split at each "\n", a "\r"
// before it left with its line (for the caller to trim). A last line break ends the
// last line, so "a\nb" and "a\nb\n" are both the lines "a" and "b".
#pragma once

#include <string_view>
#include <vector>

namespace parlowen::text {

template <typename Char>
std::vector<std::basic_string_view<Char>> Lines(std::basic_string_view<Char> text) {
    std::vector<std::basic_string_view<Char>> lines;
    while (!text.empty()) {
        const std::size_t end = text.find(Char('\n'));
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::basic_string_view<Char>::npos ? text.size() : end + 1);
    }
    return lines;
}

}  // namespace parlowen::text
