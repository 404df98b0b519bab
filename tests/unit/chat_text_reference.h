// The transcript's line rules written plainly, on the split transcript: the model the
// capture's scan from the end is held to by the unit tests and the fuzz target.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
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

// True when the line holds an ASCII digit directly followed by ':'.
inline bool HoldsDigitColon(std::string_view line) {
    for (std::size_t colon = line.find(':', 1); colon != std::string_view::npos; colon = line.find(':', colon + 1))
        if (line[colon - 1] >= '0' && line[colon - 1] <= '9') return true;
    return false;
}

// True when the line holds a time of day with seconds: H:MM:SS or HH:MM:SS, hour 0 to
// 23, minutes and seconds 0 to 59 in two digits, with no ASCII digit right before or
// after it. Every place and both layouts are tried against a pattern.
inline bool HoldsTimeOfDay(std::string_view line) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t start = 0; start < line.size(); ++start) {
        if (start > 0 && isDigit(line[start - 1])) continue;
        for (const std::string_view pattern : {"9:99:99", "99:99:99"}) {
            if (start + pattern.size() > line.size()) continue;
            const std::string_view candidate = line.substr(start, pattern.size());
            bool fits = true;
            for (std::size_t i = 0; i < pattern.size(); ++i)
                fits = fits && (pattern[i] == ':' ? candidate[i] == ':' : isDigit(candidate[i]));
            if (!fits) continue;
            const std::size_t after = start + pattern.size();
            if (after < line.size() && isDigit(line[after])) continue;
            const std::size_t hourDigits = pattern.size() - 6;
            const int hour = std::stoi(std::string(candidate.substr(0, hourDigits)));
            const int minutes = std::stoi(std::string(candidate.substr(hourDigits + 1, 2)));
            const int seconds = std::stoi(std::string(candidate.substr(hourDigits + 4, 2)));
            if (hour <= 23 && minutes <= 59 && seconds <= 59) return true;
        }
    }
    return false;
}

// Index of the last header line of `lines`: the last line with a time of day where any
// line has one, else the last line with a digit followed by ':'.
inline std::optional<std::size_t> FindLastHeaderLine(const std::vector<std::string>& lines) {
    const bool timed = std::any_of(lines.begin(), lines.end(), [](const std::string& line) { return HoldsTimeOfDay(line); });
    for (std::size_t index = lines.size(); index-- > 0;)
        if (timed ? HoldsTimeOfDay(lines[index]) : HoldsDigitColon(lines[index])) return index;
    return std::nullopt;
}

}  // namespace parlowen::testing::reference
