#include "capture/capture_tick.h"

#include "capture/chat_text.h"
#include "text/blanks.h"
#include "text/gbk.h"

#include <algorithm>
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

std::optional<std::vector<CaptureTick::NewMessage>> CaptureTick::MessagesAfter(const ChatMemory& chat,
                                                                               const TailRead& read) {
    if (!chat.position || *chat.position < read.start) return std::nullopt;
    const std::optional<std::size_t> at = ByteOfPosition(read.text, *chat.position - read.start);
    if (!at) return std::nullopt;
    const std::vector<ChatMessage> messages = ParseMessagesFrom(read.text, *at);
    if (messages.empty() || messages.front().headerLine.begin != *at || messages.front().parsed.header != chat.header)
        return std::nullopt;
    // The remembered message itself is not new, however its body has grown.
    std::vector<NewMessage> after;
    long position = *chat.position;
    std::size_t counted = *at;
    for (auto message = messages.begin() + 1; message != messages.end(); ++message) {
        const std::size_t begin = message->headerLine.begin;
        position += PositionsIn(std::string_view(read.text).substr(counted, begin - counted));
        counted = begin;
        after.push_back({*message, position});
    }
    return after;
}

std::vector<CaptureTick::NewMessage> CaptureTick::LastMessageOf(const ChatMemory* chat, const TailRead& read) const {
    // Every piece of the message comes from this one read, so a message arriving
    // during the tick can never pair one message's sender with another's body.
    const std::string_view transcript = text::TrimmedView(read.text);
    LastMessage last = ParseLastMessage(transcript);
    if (last.body.empty()) return {};
    if (last.header == (chat ? chat->header : lastHeaderSeen_)) return {};
    const std::optional<LineSpan> line = FindLastHeaderLineSpan(read.text);
    const long position = line ? read.start + PositionsIn(std::string_view(read.text).substr(0, line->begin)) : -1;
    return {NewMessage{{line.value_or(LineSpan{}), std::move(last)}, position}};
}

void CaptureTick::Handle(std::string_view chatTitle, const TailRead& read, CaptureOutput& output) {
    // Nothing has changed since the last read, which was handled.
    if (!read.changed) return;
    const auto known = chats_.find(chatTitle);
    const ChatMemory* chat = known == chats_.end() ? nullptr : &known->second;
    std::optional<std::vector<NewMessage>> messages = chat ? MessagesAfter(*chat, read) : std::nullopt;
    if (!messages) messages = LastMessageOf(chat, read);
    // A message without a body yet is left for a later read, and so is all after it.
    const auto withoutBody = std::find_if(messages->begin(), messages->end(),
                                          [](const NewMessage& m) { return m.message.parsed.body.empty(); });
    messages->erase(withoutBody, messages->end());
    if (messages->empty()) return;
    HandleMessages(chatTitle, *messages, output);
}

void CaptureTick::HandleMessages(std::string_view chatTitle, const std::vector<NewMessage>& messages,
                                 CaptureOutput& output) {
    // Marked before anything else happens, so a message is handled once whatever
    // becomes of its speech.
    const NewMessage& last = messages.back();
    lastHeaderSeen_ = last.message.parsed.header;
    ChatMemory& chat = chats_[std::string(chatTitle)];
    chat.header = last.message.parsed.header;
    chat.position = last.position >= 0 ? std::optional<long>(last.position) : std::nullopt;

    // One utterance a speaker: a speaker's next utterance cuts the one before it, which
    // must not cut a burst of that speaker's messages short.
    const ReadingOptions options = output.Options();
    std::string mine, friends;
    for (const NewMessage& message : messages) {
        const auto& [header, sender, body] = message.message.parsed;
        const bool fromFriend = IsFriendsMessage(sender, chatTitle);
        const std::optional<std::string> spoken =
            fromFriend ? SpokenText(options.readFriend, options.readFriendsName, sender, body)
                       : SpokenText(options.readMine, options.readMyName, sender, body);
        if (!spoken) continue;
        std::string& utterance = fromFriend ? friends : mine;
        if (!utterance.empty()) utterance += "\r\n";
        utterance += *spoken;
    }
    if (!mine.empty()) output.SpeakMine(mine);
    if (!friends.empty()) output.SpeakFriend(friends);

    // Logged whatever the reading options say: a message not spoken is still written.
    for (const NewMessage& message : messages) {
        const auto& [header, sender, body] = message.message.parsed;
        std::string logHeader = options.showTime ? header : sender;
        logHeader.append(kLogJoiner);
        output.AppendLogEntry(logHeader, body, IsFriendsMessage(sender, chatTitle) ? Sender::Friend : Sender::Mine);
    }
}

std::optional<long> CaptureTick::LastHandledPosition(std::string_view chatTitle) const {
    const auto known = chats_.find(chatTitle);
    return known == chats_.end() ? std::nullopt : known->second.position;
}

}  // namespace parlowen::capture
