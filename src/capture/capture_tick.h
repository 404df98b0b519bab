// The capture tick: once a second, and whenever the tracked chat window's history is
// seen to change, the messages new in its transcript are spoken and written to the log.
#pragma once

#include "capture/chat_tracking.h"
#include "capture/chat_text.h"
#include "capture/chat_windows.h"
#include "capture/history_tail.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::capture {

// The reading options as the user has set them at the moment of asking.
struct ReadingOptions {
    bool readMine = true;         // CBMe
    bool readMyName = true;       // CBmyname
    bool readFriend = true;       // CBFriend
    bool readFriendsName = true;  // CBFriendsname
    bool showTime = true;         // NShowTime1
    bool operator==(const ReadingOptions&) const = default;
};

// Who wrote a message: the user, or the friend the chat window is with.
enum class Sender { Mine, Friend };

// Where a handled message goes: the reading options, the two voices and the log.
class CaptureOutput {
public:
    virtual ~CaptureOutput() = default;
    virtual ReadingOptions Options() = 0;
    virtual void SpeakMine(std::string_view text) = 0;
    virtual void SpeakFriend(std::string_view text) = 0;
    virtual void AppendLogEntry(std::string_view header, std::string_view body, Sender sender) = 0;
};

class CaptureTick {
public:
    // The tick's work (Timer2Timer) once the tracked window's transcript has been read,
    // on the reader's thread: `read` as the history reader gave it for the chat window
    // titled `chatTitle`, whose title also tells the friend's messages from the user's
    // own. Every message after the last one handled from that window is new, and each
    // with a body is handled in order. A window seen for the first time, or one whose
    // last handled message is no longer where it stood (a cleared or capped history,
    // another conversation), has its last message handled when it has a body and its
    // header differs from the last one handled there (from any window, for the first).
    void Handle(std::string_view chatTitle, const TailRead& read, CaptureOutput& output);
    // The same for a whole transcript.
    void Handle(std::string_view chatTitle, std::string_view history, CaptureOutput& output) {
        Handle(chatTitle, TailRead{std::string(history), 0, true}, output);
    }

    // Where the last message handled from the chat window titled `chatTitle` stands in
    // its history (a position of its control), for the next read to reach back to.
    std::optional<long> LastHandledPosition(std::string_view chatTitle) const;

    // The header line of the last message handled; empty until one has been.
    const std::string& LastHeaderSeen() const noexcept { return lastHeaderSeen_; }

private:
    // What is kept of each chat window seen since the program started.
    struct ChatMemory {
        std::string header;             // the last message handled from it
        std::optional<long> position;   // where its header line starts, when it has one
    };
    struct NewMessage {
        ChatMessage message;
        long position;
    };
    // The messages of `read` after the one `chat` remembers, or nothing when that one
    // is not where it stood.
    static std::optional<std::vector<NewMessage>> MessagesAfter(const ChatMemory& chat, const TailRead& read);
    // The last message of `read`, as a window's first read handles it.
    std::vector<NewMessage> LastMessageOf(const ChatMemory* chat, const TailRead& read) const;
    void HandleMessages(std::string_view chatTitle, const std::vector<NewMessage>& messages, CaptureOutput& output);

    std::map<std::string, ChatMemory, std::less<>> chats_;
    std::string lastHeaderSeen_;
};

}  // namespace parlowen::capture
