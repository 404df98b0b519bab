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

}  // namespace

void AppendLogLine(LogPane& pane, std::string_view text, Colour colour) noexcept {
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
        pane.InsertAtEnd(line, colour);
    } catch (...) {
        // A log line is not worth interrupting the capture for.
    }
}

void AppendLogEntry(LogPane& pane, std::string_view header, std::string_view body, chat::Role writer) {
    AppendLogLine(pane, header, writer == chat::Role::Mine ? kMineHeaderColour : kFriendHeaderColour);
    const long bodyStart = pane.TextLength();
    AppendLogLine(pane, body, kBodyColour);
    // The caret is still at the end of the entry, so its whole extent is scrolled to.
    pane.ScrollCaretIntoView();
    pane.PlaceCaret(bodyStart);
}

}  // namespace parlowen::log
