#include "capture/capture_tick.h"

#include "chat/member_number.h"
#include "text/gbk.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace parlowen::capture {
namespace {

// "说：" is spoken between nickname and body; the log puts a space before it.
constexpr std::string_view kSpokenJoiner = text::kSaid;
constexpr std::string_view kLogJoiner = text::kSpacedSaid;
// Between a chat's name and what is said in it.
constexpr std::string_view kNamePause = "\xA3\xAC";  // ，

std::optional<std::string> SpokenText(bool readMessage, bool readName, std::string_view sender,
                                      std::string_view body) {
    if (readMessage && readName) return std::string(sender).append(kSpokenJoiner).append(body);
    if (readMessage) return std::string(body);
    if (readName) return std::string(sender).append(kSpokenJoiner);
    return std::nullopt;
}

// The first of the last messages written since `opened`, a little before it: where the
// new messages of a window that opened behind others start; past the end when none is.
// A line of a new message written like an older header line reads as a message of its
// own: one older message alone among new ones is taken as a part of them.
std::size_t FirstWrittenSince(const std::vector<ChatMessage>& messages, LocalTime opened) {
    return FirstOfNewest(messages, messages.size(), [&](const ChatMessage& message) {
        const std::optional<HeaderShape> shape = HeaderShapeOf(message.header);
        return shape && WrittenSince(*shape, opened, CaptureTick::kNewBeforeOpening);
    });
}

}  // namespace

HeaderRule CaptureTick::RuleFor(const ChatWindowRef& window, const ChatMemory* chat) const {
    return {chat ? chat->clock() : ClockStyle::Unknown, window.group, window.title, userNames_};
}

ReadRequest CaptureTick::RequestFor(const ChatWindowRef& window) const {
    const FollowedChat* followed = followed_.Find(window.handle);
    const ChatMemory* chat = followed && followed->memory ? &*followed->memory : nullptr;
    const bool opened = !chat && window.firstSight == FirstSight::Appeared;
    return {chat ? chat->Position() : std::nullopt, RuleFor(window, chat), opened || (chat && chat->LooksEverywhere()),
            chat && chat->Waiting()};
}

std::vector<ChatMessage> CaptureTick::TakeNew(const ChatWindowRef& window, const TailRead& read,
                                              Clock::time_point now) {
    FollowedChat& followed = followed_.Of(window.handle);
    const bool firstRead = !followed.memory;
    ChatMemory& chat = firstRead ? followed.memory.emplace() : *followed.memory;
    followed.lastRead = ++reads_;
    chat.ReadUnder(window.title);
    // Nothing has changed since the last read, which was handled.
    if (!read.changed && !chat.Waiting() && !chat.LooksEverywhere()) return {};
    const HeaderRule rule = RuleFor(window, &chat);
    const bool opened = firstRead && window.firstSight == FirstSight::Appeared;
    std::size_t parsedFrom = 0;
    const auto parseAt = [&](std::size_t from) {
        parsedFrom = from;
        return ParseTranscript(read.text, read.start, rule, from,
                               opened ? std::numeric_limits<std::size_t>::max() : chat.ParseLimit(), read.end);
    };
    // Mostly the last message settled stands where it stood; only where it does not is
    // the text before it looked through: as far as a capped history mostly moves it, then
    // all that was read, as a message dropped may have been long.
    Transcript parsed = parseAt(chat.ParseFrom(read.text, read.start, false));
    if (chat.Position() && !chat.Finds(parsed)) parsed = parseAt(chat.ParseFrom(read.text, read.start, true));
    if (chat.Position() && !chat.Finds(parsed) && parsedFrom != 0) parsed = parseAt(0);
    if (!window.group) LearnUserNames(parsed.newUserNames);
    std::optional<std::size_t> newFrom;
    if (opened) newFrom = FirstWrittenSince(parsed.messages, window.appeared);
    // A place not found is gone only where the read reached the history's start and the
    // parse covered all of it: a capped history may have moved the place far further
    // towards the start than the parse looked.
    const bool wholeHistory = read.start == 0 && parsedFrom == 0;
    const std::vector<const ChatMessage*> settled = chat.Settle(parsed, lastHeaderSeen_, now, wholeHistory, newFrom);
    // What a window held when the capture first looked behind the others was said before.
    if (firstRead && window.firstSight == FirstSight::BehindAtStart) return {};
    std::vector<ChatMessage> messages;
    for (const ChatMessage* message : settled) messages.push_back(*message);
    return messages;
}

bool CaptureTick::Heard(ChatMode mode, const ChatMessage& message) const {
    return mode == ChatMode::All || (mode == ChatMode::Mentions && NamesTheUser(message.body, userNames_));
}

void CaptureTick::LearnUserNames(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (name.empty()) continue;
        std::erase(userNames_, name);
        userNames_.push_back(name);
        if (userNames_.size() > kUserNamesKept) userNames_.erase(userNames_.begin());
    }
}

void CaptureTick::SetUserNames(const std::vector<std::string>& names) {
    userNames_.clear();
    LearnUserNames(names);
}

chat::Speaker CaptureTick::SpeakerOf(const ChatWindowRef& window, const ChatMessage& message) const {
    if (!window.group)
        return {NamedInTitle(message.name, message.sender, window.title) ? chat::Role::Friend : chat::Role::Mine,
                message.sender, {}};
    // The messenger writes a number after a member's name ("sky(88888)"); the user is
    // known by the name before it, as learned where it writes none.
    std::string number = chat::MemberNumber(message.name);
    const bool mine = std::any_of(userNames_.begin(), userNames_.end(), [&](const std::string& name) {
        return name == message.name || (!number.empty() && SenderName(name) == message.sender);
    });
    if (mine) return {chat::Role::Mine, message.sender, {}};
    return {chat::Role::Member, message.sender, std::move(number)};
}

CaptureTick::Handling CaptureTick::Decide(const ChatWindowRef& window, const std::vector<ChatMessage>& messages,
                                          const std::vector<chat::Speaker>& speakers, const ReadingOptions& options,
                                          CaptureOutput& output) const {
    const ChatMode mode = chatModes_.ModeOf(window.name);
    Handling handling;
    const FollowedChat* followed = followed_.Find(window.handle);
    handling.lastMemberNamed = followed ? followed->lastMemberNamed : std::string();
    // One utterance a profile: a profile's next utterance cuts the one before it, which
    // must not cut a burst of that profile's messages short. Members' messages are
    // queued one by one, each in its member's voice. A member's name is said when the
    // speaker changes, not before each of a member's messages in a row.
    std::string& lastMemberNamed = handling.lastMemberNamed;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const ChatMessage* message = &messages[i];
        if (!Heard(mode, *message)) continue;
        const chat::Role role = speakers[i].role;
        bool readName = role == chat::Role::Mine ? options.readMyName : options.readFriendsName;
        if (role == chat::Role::Member) {
            // Two members of one name are told apart by their numbers.
            readName = readName && message->name != lastMemberNamed;
            if (options.readFriend || options.readFriendsName) lastMemberNamed = message->name;
        } else if (role == chat::Role::Mine && options.readMine) {
            lastMemberNamed.clear();
        }
        const bool readMessage = role == chat::Role::Mine ? options.readMine : options.readFriend;
        const std::optional<std::string> spoken = SpokenText(
            readMessage, readName, readName ? output.SpokenForm(message->sender, role) : std::string(),
            readMessage ? output.SpokenForm(message->body, role) : std::string());
        if (!spoken) continue;
        if (role == chat::Role::Member) {
            handling.members.emplace_back(i, *spoken);
            continue;
        }
        std::string& utterance = role == chat::Role::Mine ? handling.mine : handling.friends;
        if (!utterance.empty()) utterance += "\r\n";
        utterance += *spoken;
    }
    // Following every chat, one other than the one heard last is named first, once.
    if (handling.SaysAnything() && options.everyChat && followed_.lastHeard != 0 &&
        followed_.lastHeard != window.handle) {
        const chat::Role first = !handling.mine.empty()      ? chat::Role::Mine
                                 : !handling.friends.empty() ? chat::Role::Friend
                                                             : chat::Role::Member;
        std::string& utterance = !handling.mine.empty()      ? handling.mine
                                 : !handling.friends.empty() ? handling.friends
                                                             : handling.members.front().second;
        const std::string name = output.SpokenForm(window.name.empty() ? window.title : window.name, first);
        if (!utterance.starts_with(name)) utterance.insert(0, name + std::string(kNamePause));
    }
    // Logged whatever the reading options say: a message not spoken is still written.
    for (const ChatMessage& message : messages)
        handling.logHeaders.push_back((options.showTime ? message.header : message.sender) + std::string(kLogJoiner));
    return handling;
}

void CaptureTick::HandleMessages(const ChatWindowRef& window, const std::vector<ChatMessage>& messages,
                                 CaptureOutput& output) {
    if (messages.empty()) return;
    // Marked before anything else happens, so a message is handled once whatever
    // becomes of its speech.
    lastHeaderSeen_ = messages.back().header;
    if (!window.name.empty()) chatModes_.Meet(window.name, window.group);
    std::vector<chat::Speaker> speakers;
    for (const ChatMessage& message : messages) speakers.push_back(SpeakerOf(window, message));
    const Handling handling = Decide(window, messages, speakers, output.Options(), output);

    followed_.Of(window.handle).lastMemberNamed = handling.lastMemberNamed;
    if (handling.SaysAnything()) followed_.lastHeard = window.handle;
    if (!handling.mine.empty()) output.SpeakMine(handling.mine);
    if (!handling.friends.empty()) output.SpeakFriend(handling.friends);
    for (const auto& [message, utterance] : handling.members)
        output.SpeakMember(speakers[message], window.title, utterance);
    for (std::size_t i = 0; i < messages.size(); ++i)
        output.AppendLogEntry(handling.logHeaders[i], messages[i].body, speakers[i]);
}

}  // namespace parlowen::capture
