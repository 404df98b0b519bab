// The capture tick: once a second, and whenever the followed chat window's history is
// seen to change, the messages new in its history are spoken and written to the log.
#pragma once

#include "capture/chat_memory.h"
#include "capture/chat_modes.h"
#include "capture/chat_windows.h"
#include "capture/followed_chats.h"
#include "capture/history_tail.h"
#include "chat/speaker.h"

#include <chrono>
#include <cstdint>
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
    // Every open chat window is read, not only the one last in front; a chat other than
    // the one heard last is named first.
    bool everyChat = true;
    bool operator==(const ReadingOptions&) const = default;
};

// Where a handled message goes: the reading options, the voices and the log. The
// user's messages are spoken with the mine profile, the friend's with the friend's, and
// each of a group's members' on its own, in the group window titled `group`.
class CaptureOutput {
public:
    virtual ~CaptureOutput() = default;
    virtual ReadingOptions Options() = 0;
    virtual void SpeakMine(std::string_view text) = 0;
    virtual void SpeakFriend(std::string_view text) = 0;
    virtual void SpeakMember(const chat::Speaker& member, std::string_view group, std::string_view text) = 0;
    virtual void AppendLogEntry(std::string_view header, std::string_view body, const chat::Speaker& speaker) = 0;
    // What is said of a sender's name or a message's text by `speaker`'s voice; as it
    // stands unless the output says otherwise. The log always keeps the text as the chat
    // showed it.
    virtual std::string SpokenForm(std::string_view text, chat::Role /*speaker*/) { return std::string(text); }
};

class CaptureTick {
public:
    using Clock = ChatMemory::Clock;
    // The user's nicknames kept, newest last.
    static constexpr std::size_t kUserNamesKept = 8;

    // What the next read of `window` must reach: back to the last message settled there,
    // and a header line the window's rule vouches for.
    ReadRequest RequestFor(const ChatWindowRef& window) const;

    // The tick's work (Timer2Timer) once `window`'s history has been read: `read` as the
    // history reader gave it. Every message after the last one settled from that window
    // is new, and each with a body is handled in order (ChatMemory::Settle).
    void Handle(const ChatWindowRef& window, const TailRead& read, CaptureOutput& output, Clock::time_point now) {
        HandleMessages(window, TakeNew(window, read, now), output);
    }
    // The same in two steps, so that the messages of several windows read at once are
    // handled in the order they came: the messages new in `read`, settled, and their
    // handling. A window seen behind others when the capture first looked there gives
    // nothing from its first read, one that opened behind them later the last messages
    // written since a little before it opened (kNewBeforeOpening).
    std::vector<ChatMessage> TakeNew(const ChatWindowRef& window, const TailRead& read, Clock::time_point now);
    void HandleMessages(const ChatWindowRef& window, const std::vector<ChatMessage>& messages, CaptureOutput& output);
    // The messenger shows a chat's older history above the messages that opened its
    // window: those timed this long before the window was seen, or later, are new.
    static constexpr int kNewBeforeOpening = 3 * 60;

    // What is kept of each chat followed, one record a chat.
    FollowedChats& followed() noexcept { return followed_; }
    const FollowedChats& followed() const noexcept { return followed_; }

    // The header line of the last message handled; empty until one has been.
    const std::string& LastHeaderSeen() const noexcept { return lastHeaderSeen_; }
    // The names the user has been seen going by in one-to-one windows, newest last.
    const std::vector<std::string>& UserNames() const noexcept { return userNames_; }
    // The names as the user corrected them, or as the people file kept them: the empty
    // ones and repeats go, and only the newest kUserNamesKept stay.
    void SetUserNames(const std::vector<std::string>& names);
    // Who wrote `message` in `window`: in a one-to-one window the friend its title names,
    // or the user; in a group the user, under a name learned, or a member.
    chat::Speaker SpeakerOf(const ChatWindowRef& window, const ChatMessage& message) const;
    // How the user wants each chat heard, by its name.
    ChatModes& chatModes() noexcept { return chatModes_; }
    const ChatModes& chatModes() const noexcept { return chatModes_; }

private:
    // What the messages of one read of a window come to, decided before anything is said
    // or logged: one utterance for each profile, each member's on its own, the log's
    // header of each message, and whether the chat is named first.
    struct Handling {
        std::string mine, friends;
        std::vector<std::pair<std::size_t, std::string>> members;  // message, utterance
        std::vector<std::string> logHeaders;
        std::string lastMemberNamed;  // in the window, once these are said
        bool SaysAnything() const { return !mine.empty() || !friends.empty() || !members.empty(); }
    };
    Handling Decide(const ChatWindowRef& window, const std::vector<ChatMessage>& messages,
                    const std::vector<chat::Speaker>& speakers, const ReadingOptions& options,
                    CaptureOutput& output) const;
    HeaderRule RuleFor(const ChatWindowRef& window, const ChatMemory* chat) const;
    void LearnUserNames(const std::vector<std::string>& names);
    // Whether `message` of a chat in `mode` is to be heard.
    bool Heard(ChatMode mode, const ChatMessage& message) const;

    FollowedChats followed_;
    std::uint64_t reads_ = 0;
    std::vector<std::string> userNames_;
    std::string lastHeaderSeen_;
    ChatModes chatModes_;
};

}  // namespace parlowen::capture
