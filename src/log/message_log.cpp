#include "log/message_log.h"

#include "text/blanks.h"
#include "text/gbk.h"

#include <string>

namespace parlowen::log {
namespace {

// A line of nothing but the joiner "说：" is what a message without nickname or body
// would leave, and says nothing.
constexpr std::string_view kBareJoiner = text::kSaid;
constexpr std::string_view kLineBreak = "\r\n";

// Selects what was appended since `start`, colours it, and leaves the caret at `start`.
// The colour is always set, whatever the pane gives newly inserted text.
void ColourSince(LogPane& pane, long start, Colour colour, bool scrollIntoView) {
    pane.Select(start, pane.TextLength());
    pane.ColourSelection(colour);
    // The caret is still at the end of the new text, so its whole extent is scrolled to.
    if (scrollIntoView) pane.ScrollCaretIntoView();
    pane.Select(start, start);
}

}  // namespace

void AppendLogLine(LogPane& pane, std::string_view text) noexcept {
    try {
        const std::string_view trimmed = text::TrimmedView(text);
        if (trimmed.empty() || trimmed == kBareJoiner) return;
        // The line starts on its own line even after text the user typed without a
        // final break; in that case it ends without one, like the text before it.
        std::string line;
        if (pane.EndsAtLineStart()) {
            line.append(text).append(kLineBreak);
        } else {
            line.append(kLineBreak).append(text);
        }
        pane.InsertAtEnd(line);
    } catch (...) {
        // A log line is not worth interrupting the capture for.
    }
}

void AppendLogEntry(LogPane& pane, std::string_view header, std::string_view body, Author author) {
    const long headerStart = pane.TextLength();
    AppendLogLine(pane, header);
    ColourSince(pane, headerStart, author == Author::Friend ? kFriendHeaderColour : kMineHeaderColour, false);

    const long bodyStart = pane.TextLength();
    AppendLogLine(pane, body);
    ColourSince(pane, bodyStart, kBodyColour, true);
}

}  // namespace parlowen::log
