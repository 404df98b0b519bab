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
// ends the text.
//
// Header lines: a transcript that holds a time of day with seconds anywhere (H:MM:SS or
// HH:MM:SS, hour 0-23, minutes and seconds 00-59, no ASCII digit directly before or
// after it) takes only the lines holding one as header lines, so "meet at 5:30" in a
// message is text. A transcript without any such time is from a messenger that shows
// no seconds: there every line holding an ASCII digit directly followed by ':' is a
// header line. The decision is made on the whole text given: a caller that hands over
// only the end of a history must make sure that end settles it (see ParsesAsWhole).

// Where a line lies, found by scanning back from the end of a transcript: `begin`/`end`
// are byte offsets of the line's text (line break excluded), `next` the offset right
// after its break.
struct LineSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};
// The last header line of a whole transcript.
std::optional<LineSpan> FindLastHeaderLineSpan(std::string_view transcript);
// The last line holding a time of day with seconds, whatever else the transcript holds.
std::optional<LineSpan> FindLastTimeOfDayLineSpan(std::string_view transcript);

// The last message's header line (trimmed), its body (its lines joined by CR LF and
// trimmed; without any header line, every line but the first) and the sender named in
// its header, from one look at the transcript.
struct LastMessage {
    std::string header;
    std::string sender;
    std::string body;
};
LastMessage ParseLastMessage(std::string_view transcript);

// The messages that start at or after byte `from` of a transcript, oldest first: each
// header line that begins there or later (by the rule above, settled on the whole
// transcript) with the lines up to the next one. Each is parsed as ParseLastMessage
// parses the last one; `headerLine` tells where its header line lies. The cost follows
// the text from `from` on.
struct ChatMessage {
    LineSpan headerLine;
    LastMessage parsed;
};
std::vector<ChatMessage> ParseMessagesFrom(std::string_view transcript, std::size_t from);

bool IsAllDigits(std::string_view text);
std::string SpaceOutDigits(std::string_view text);

}  // namespace parlowen::capture
