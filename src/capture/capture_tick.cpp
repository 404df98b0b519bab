#include "capture/capture_tick.h"

#include "capture/chat_text.h"
#include "text/blanks.h"
#include "text/gbk.h"

#include <optional>
#include <utility>

namespace parlowen::capture {
namespace {

// "说：" is spoken between nickname and body; the log puts a space before it.
constexpr std::string_view kSpokenJoiner = text::kSaid;
constexpr std::string_view kLogJoiner = text::kSpacedSaid;

// A one-to-one chat window's title carries the friend's nickname, so a sender found in
// it is the friend. An empty sender is never found: it counts as the user's own.
bool IsFriendsMessage(std::string_view sender, std::string_view chatTitle) {
    return !sender.empty() && chatTitle.find(sender) != std::string_view::npos;
}

std::optional<std::string> SpokenText(bool readMessage, bool readName, std::string_view sender,
                                      std::string_view body) {
    if (readMessage && readName) return std::string(sender).append(kSpokenJoiner).append(body);
    if (readMessage) return std::string(body);
    if (readName) return std::string(sender).append(kSpokenJoiner);
    return std::nullopt;
}

}  // namespace

void CaptureTick::Handle(std::string_view chatTitle, std::string_view history,
                         CaptureOutput& output) {
    // Every piece of the message comes from this one read, so a message arriving
    // during the tick can never pair one message's sender with another's body.
    const std::string_view transcript = text::TrimmedView(history);

    const auto [header, sender, body] = ParseLastMessage(transcript);
    if (body.empty()) return;
    if (header == lastHeaderSeen_) return;
    // Marked before anything else happens, so a message is handled once whatever
    // becomes of its speech.
    lastHeaderSeen_ = header;

    const bool fromFriend = IsFriendsMessage(sender, chatTitle);
    const ReadingOptions options = output.Options();

    const std::optional<std::string> spoken =
        fromFriend ? SpokenText(options.readFriend, options.readFriendsName, sender, body)
                   : SpokenText(options.readMine, options.readMyName, sender, body);
    if (spoken) {
        if (fromFriend) {
            output.SpeakFriend(*spoken);
        } else {
            output.SpeakMine(*spoken);
        }
    }

    // Logged whatever the reading options say: a message not spoken is still written.
    std::string logHeader = options.showTime ? header : sender;
    logHeader.append(kLogJoiner);
    output.AppendLogEntry(logHeader, body, fromFriend ? Sender::Friend : Sender::Mine);
}

}  // namespace parlowen::capture
