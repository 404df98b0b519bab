// Parsing the last message out of a messenger chat transcript.
//
// All text is a byte string in the GBK code page (code page 936), exactly as the
// chat window's history control delivers it. Nothing here allocates more than
// its result, keeps state or throws on any input.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::capture {

// Lines end at CR, LF, CR LF or (after a line) LF CR starts an empty line; a NUL byte
// ends the text. Lines are not trimmed; no empty last line after a final break.
std::vector<std::string> SplitLines(std::string_view text);

// True when the line holds an ASCII digit directly followed by ':'.
bool IsHeaderLine(std::string_view line);

// Index of the last header line of `lines`, scanning from the end.
std::optional<std::size_t> FindLastHeaderLine(const std::vector<std::string>& lines);

// Where the last header line of a whole transcript lies, found by scanning back from
// the end with the same line boundaries as SplitLines: `begin`/`end` are byte offsets
// of the line's text (line break excluded), `next` the offset right after its break.
struct LineSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};
std::optional<LineSpan> FindLastHeaderLineSpan(std::string_view transcript);

std::string LastMessageHeader(std::string_view transcript);
std::string LastMessageBody(std::string_view transcript);
std::string LastMessageSender(std::string_view transcript);

// All three at once, from one look at the transcript: what the capture tick needs.
struct LastMessage {
    std::string header;
    std::string sender;
    std::string body;
};
LastMessage ParseLastMessage(std::string_view transcript);

bool IsAllDigits(std::string_view text);
std::string SpaceOutDigits(std::string_view text);

}  // namespace parlowen::capture
