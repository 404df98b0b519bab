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

// The text without its leading and trailing bytes 0x00-0x20.
std::string TrimBlanks(std::string_view text);
// The same without a copy, for a transcript that can run to megabytes.
std::string_view TrimmedView(std::string_view text);

// Length in bytes (1 or 2) of the GBK character that starts at `pos` (< text.size()).
// Invalid GBK (a lead byte 0x81-0xFE at the end, or followed by a byte outside
// 0x40-0xFE or by 0x7F) counts as a one-byte character, so stepping never leaves the text.
std::size_t GbkCharLength(std::string_view text, std::size_t pos);

// Replaces every occurrence of `pattern` that starts at a GBK character boundary by
// `replacement`; the replacement is never searched again. Character boundaries are
// those of `text` decoded from its start with GbkCharLength. An empty pattern
// replaces nothing.
std::string ReplaceAllGbk(std::string_view text, std::string_view pattern,
                          std::string_view replacement);

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
