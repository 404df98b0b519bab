// What the capture keeps of one chat window between reads: the last message it settled
// there, the clock style the window's header lines show, and a last message that has
// not shown its body yet.
#pragma once

#include "capture/chat_text.h"
#include "capture/header_format.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::capture {

class ChatMemory {
public:
    using Clock = std::chrono::steady_clock;
    // The messenger may show a header line a moment before its text: the last message of
    // a read waits this long for its body before it is passed over.
    static constexpr std::chrono::milliseconds kBodyWait{2000};
    // The start of a settled message's body that is kept to find it again by content.
    static constexpr std::size_t kBodyStartBytes = 64;
    // A window seen for the first time, or whose place is lost, gives its last message
    // only, so a read for it looks at no more than this many header-shaped lines.
    static constexpr std::size_t kLinesOfALastMessage = 16;

    // The title the window was last read under, by which a chat closed and opened again
    // finds its memory.
    std::string title;

    ClockStyle clock() const noexcept { return clock_; }
    // Where the last message settled stands in the history, for the next read to reach
    // back to; nothing until one has been.
    std::optional<long> Position() const noexcept {
        return last_ ? std::optional<long>(last_->position) : std::nullopt;
    }
    // Whether a read must be parsed again although its text is unchanged.
    bool Waiting() const noexcept { return waiting_.has_value(); }
    // The byte of `text` (read from position `start` on) where a parse for this window
    // starts, and how many header-shaped lines it looks at: from the last message
    // settled, or with `searchBack` from where a capped history may have moved it since,
    // or the last few lines.
    std::size_t ParseFrom(std::string_view text, long start, bool searchBack) const;
    std::size_t ParseLimit() const noexcept;
    // Whether `parsed` holds the last message settled.
    bool Finds(const Transcript& parsed) const { return Find(parsed.messages).has_value(); }

    // The messages of `parsed` that are new since the last read, in order, as they
    // settle now: those after the last message settled (found where it stood, or by its
    // header and body where a capped history has moved it), or, for a window seen for
    // the first time or whose place is lost, its last message when its header differs
    // from `lastHeaderSeen`. Only the very last message may wait for its body, up to
    // kBodyWait from `now`; any other without one is passed over. Returns those with a
    // body, which are to be handled, and remembers the last one settled.
    std::vector<const ChatMessage*> Settle(const Transcript& parsed, std::string_view lastHeaderSeen,
                                           Clock::time_point now);

private:
    struct Settled {
        std::string header;
        std::string bodyStart;
        long position = 0;
        // The header of the message before it, where the read showed one: a message
        // repeated word for word is told from it by what precedes it.
        std::optional<std::string> previousHeader;
    };
    struct Pending {
        std::string header;
        long position = 0;
        Clock::time_point since;
    };
    // The index in `messages` of the last message settled, or nothing when it is gone.
    std::optional<std::size_t> Find(const std::vector<ChatMessage>& messages) const;
    bool Is(const std::vector<ChatMessage>& messages, std::size_t index) const;

    ClockStyle clock_ = ClockStyle::Unknown;
    std::optional<Settled> last_;
    std::optional<Pending> waiting_;
};

}  // namespace parlowen::capture
