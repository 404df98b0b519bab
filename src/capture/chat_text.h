// A chat transcript parsed into its messages, once, with where each one stands.
//
// All text is a byte string in the GBK code page (code page 936), exactly as the chat
// window's history control delivers it: lines end at CR, LF or CR LF (LF CR starts an
// empty line), and a NUL byte ends the text. Nothing here keeps state or throws on any
// input.
#pragma once

#include "capture/header_format.h"

#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::capture {

// Where a line lies: `begin`/`end` are byte offsets of its text (line break excluded),
// `next` the offset right after its break.
struct LineSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

// A line written as a header line, with the name it holds and the sender spoken for it.
struct HeaderCandidate {
    LineSpan line;
    HeaderShape shape;
    std::string name;
    std::string sender;
};

// The header-shaped lines of `text` that begin at or after byte `from`, oldest first: at
// most the last `limit` of them, found by scanning back from the end, so that asking for
// the last few costs what the last few messages do.
std::vector<HeaderCandidate> FindHeaderCandidates(std::string_view text, std::size_t from = 0,
                                                  std::size_t limit = std::numeric_limits<std::size_t>::max());

// One message of a transcript: its header line (trimmed), the name it holds and the
// sender spoken for it, and its body: the lines up to the next message's header line,
// joined by CR LF and trimmed.
struct ChatMessage {
    // The text kept from right before a message's header line: a message repeated word
    // for word is told from it by what precedes it, whatever the rules made of that text.
    static constexpr std::size_t kLeadBytes = 128;

    std::size_t begin = 0;  // the byte where its header line starts in the text parsed
    long position = 0;      // the control's position of that byte
    std::string header;
    std::string name;
    std::string sender;
    std::string body;
    std::string lead;  // up to kLeadBytes before `begin`, as far as the text reaches
};

struct Transcript {
    std::vector<ChatMessage> messages;  // oldest first
    // The clock style the header lines were told by, and whether enough of them agreed
    // for the window to keep it.
    ClockStyle clock = ClockStyle::Unknown;
    bool clockSettled = false;
    // Names (as header lines write them) this read showed the user going by in a
    // one-to-one window, first met here.
    std::vector<std::string> newUserNames;
};

// The messages of `text` (read from the control's position `start` on, and ending at
// position `end` where that is known) whose header lines begin at or after byte `from`,
// at most the last `limit`. Which header-shaped lines head
// messages is decided by `rule`, and where it knows too little, by the read's own lines:
// the clock style most of them show; in a group any name heads a message, and in a
// one-to-one window a name not known to speak there only where it keeps the times in
// order and seconds, a second line, or no other name of the user's, vouch for it.
Transcript ParseTranscript(std::string_view text, long start, const HeaderRule& rule, std::size_t from = 0,
                           std::size_t limit = std::numeric_limits<std::size_t>::max(),
                           std::optional<long> end = std::nullopt);

// Whether `tail`, the end of a history, holds what ParseTranscript needs to parse its
// last messages as it would parse the whole history: a header line whole (starting after
// a break inside `tail`, with more than blanks before it) that `rule` vouches for, or,
// where the rule knows too little yet, several header-shaped lines to learn from.
bool HoldsWholeHeaderLine(std::string_view tail, const HeaderRule& rule);

// Positions in a transcript as the control counts them: a double-byte character, and a
// paragraph break given as CR LF, counting once. The number of positions in `text`, and
// the byte where position `position` starts (nothing past the end).
long PositionsIn(std::string_view text);
std::optional<std::size_t> ByteOfPosition(std::string_view text, long position);

// Where the newest messages before `end` start, walking back while `isNew` takes them: a
// line of a new message written like an older header line reads as a message of its
// own, so one older message alone among new ones is taken as a part of them.
std::size_t FirstOfNewest(const std::vector<ChatMessage>& messages, std::size_t end,
                          const std::function<bool(const ChatMessage&)>& isNew);

}  // namespace parlowen::capture
