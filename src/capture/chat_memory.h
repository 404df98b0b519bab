// What the capture keeps of one chat window between reads: the last message it settled
// there, the clock style the window's header lines show, and a last message that has
// not shown its body yet.
#pragma once

#include "capture/chat_text.h"
#include "capture/header_format.h"

#include <algorithm>
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
    // A parse starts this far before the place, so that the messages before it are in it.
    static constexpr long kContextCharacters = 1024;
    // A window seen for the first time, or whose place is lost, gives its last message
    // only, so a read for it looks at no more than this many header-shaped lines.
    static constexpr std::size_t kLinesOfALastMessage = 16;

    // The titles the window was read under (a messenger may show who is typing there),
    // by which a chat closed and opened again finds its memory.
    static constexpr std::size_t kTitlesKept = 4;
    void ReadUnder(std::string_view title);
    bool WasReadUnder(std::string_view title) const {
        return std::find(titles_.begin(), titles_.end(), title) != titles_.end();
    }
    // Whether `title` is one of those titles, or one of them with more said in it.
    bool MayBeReadUnder(std::string_view title) const {
        return std::any_of(titles_.begin(), titles_.end(), [&](const std::string& known) {
            return !known.empty() && !title.empty() && (known.find(title) != known.npos || title.find(known) != title.npos);
        });
    }

    ClockStyle clock() const noexcept { return clock_; }
    // Where the last message settled stands in the history, or the one waiting for its
    // body where none has been, for the next read to reach back to; nothing until then.
    std::optional<long> Position() const noexcept {
        if (last_) return last_->position;
        if (waiting_) return waiting_->place.position;
        return std::nullopt;
    }
    // Whether the next read is to be of the whole history: the place was not found near
    // where it stood (a capped history may have moved it further than a read reaches).
    bool LooksEverywhere() const noexcept { return lookEverywhere_; }
    // Whether a read must be parsed again although its text is unchanged.
    bool Waiting() const noexcept { return waiting_.has_value(); }
    // The byte of `text` (read from position `start` on) where a parse for this window
    // starts, and how many header-shaped lines it looks at: from the last message
    // settled, or with `searchBack` from where a capped history may have moved it since,
    // or the last few lines.
    std::size_t ParseFrom(std::string_view text, long start, bool searchBack) const;
    std::size_t ParseLimit() const noexcept;
    // Whether `parsed` holds the last message settled.
    bool Finds(const Transcript& parsed) const {
        if (last_) return Find(*last_, parsed.messages).has_value();
        return waiting_ && Find(waiting_->place, parsed.messages);
    }

    // The messages of `parsed` that are new since the last read, in order, as they
    // settle now: those after the last message settled (found where it stood, or by its
    // header and body where a capped history has moved it), or, for a window seen for
    // the first time or whose place is lost, its last message when its header differs
    // from `lastHeaderSeen`. Only the very last message may wait for its body, up to
    // kBodyWait from `now`; any other without one is passed over. Returns those with a
    // body, which are to be handled, and remembers the last one settled.
    // `wholeHistory`: the read reached the history's start, so a place not found in it
    // is gone; else the next read looks everywhere first, and should the place be gone by
    // then, all it reads is new when it holds a message of this read. `newFrom`: where no place is
    // known yet, the first of the messages that are new (those written since a window
    // opened behind others), instead of the last one alone.
    std::vector<const ChatMessage*> Settle(const Transcript& parsed, std::string_view lastHeaderSeen,
                                           Clock::time_point now, bool wholeHistory,
                                           std::optional<std::size_t> newFrom = std::nullopt);

private:
    // A message as it is found again: its header and the start of its body, which may
    // have grown since; a blank one stays blank, and one waiting for its body matches
    // any.
    struct Seen {
        std::string header;
        std::string bodyStart;
        bool blank = false;
        bool Is(const ChatMessage& message) const {
            return message.header == header && message.body.starts_with(bodyStart) && (!blank || message.body.empty());
        }
        bool operator==(const Seen&) const = default;
    };
    // Where a message stands, to be found again: where it stood, or by its content.
    struct Place {
        Seen message;
        long position = 0;
        std::string lead;  // the text before it, as far as the read showed it
        bool operator==(const Place&) const = default;
    };
    struct Pending {
        Place place;  // its body not known yet
        Clock::time_point since;
    };
    static Seen SeenOf(const ChatMessage& message);
    static Place PlaceOf(const std::vector<ChatMessage>& messages, std::size_t index);
    // The place of a message that waits for its body: found again whatever body it has.
    static Place WaitingPlaceOf(const std::vector<ChatMessage>& messages, std::size_t index);
    // The index of `place` in `messages`: where it stood, else the copy before that
    // whose text before it is known whole rather than cut short (of equals the nearest),
    // since a capped history, or a chat opened again, only ever moves it towards the
    // start; nothing when it is gone.
    static std::optional<std::size_t> Find(const Place& place, const std::vector<ChatMessage>& messages);
    // Whether `message` is the one at `place`, with the same text before it: 1 where
    // that text is the same whole, 0 where one read or the other cut it short; nothing
    // when it is not that message.
    static std::optional<int> Likeness(const Place& place, const ChatMessage& message);
    // Whether `message`, last in a read that lost the place, is the one handled last.
    bool AlreadyHandled(const ChatMessage& message, std::string_view lastHeaderSeen) const;

    std::vector<std::string> titles_;
    ClockStyle clock_ = ClockStyle::Unknown;
    std::optional<Place> last_;
    std::optional<Pending> waiting_;
    bool lookEverywhere_ = false;
    // The first and the last message of the read that did not find the place near where
    // it stood, written soon after it: messages that came after it (the last the likeliest
    // to be left by the next cap), by which the next read tells a history capped beneath
    // the place (all it holds came since) from one cleared or replaced.
    std::vector<Place> since_;
};

}  // namespace parlowen::capture
