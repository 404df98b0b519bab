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

namespace parlowen::capture {

// Lines end at CR, LF, CR LF or (after a line) LF CR starts an empty line; a NUL byte
// ends the text; a header line holds an ASCII digit directly followed by ':'.

// Where the last header line of a whole transcript lies, found by scanning back from
// the end: `begin`/`end` are byte offsets of the line's text (line break excluded),
// `next` the offset right after its break.
struct LineSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};
std::optional<LineSpan> FindLastHeaderLineSpan(std::string_view transcript);

// The last message's header line (trimmed), its body (its lines joined by CR LF and
// trimmed; without any header line, every line but the first) and the sender named in
// its header, from one look at the transcript.
struct LastMessage {
    std::string header;
    std::string sender;
    std::string body;
};
LastMessage ParseLastMessage(std::string_view transcript);

bool IsAllDigits(std::string_view text);
std::string SpaceOutDigits(std::string_view text);

}  // namespace parlowen::capture
