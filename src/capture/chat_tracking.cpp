#include "capture/chat_tracking.h"

#include <algorithm>
#include <array>
#include <set>
#include <string_view>
#include <utility>

namespace parlowen::capture {
namespace {

// Parts of the titles the QQ and TM clients give their chat windows, in their
// simplified Chinese, traditional Chinese and English versions. They are compared as
// Unicode, so a marker's GBK bytes straddling two characters of a title never match.
// U+FF0D is the fullwidth hyphen-minus the clients put between title parts.
constexpr std::array<std::u16string_view, 15> kTitleMarkers = {
    u"聊天中",
    u"交谈中",
    u"发送消息",
    u"查看消息",
    u"Chatting with",
    u"Send Message",
    u"View message",
    u"發送消息",
    u"交談中",
    u"群",
    u"\uFF0D 企业",
    u"Group \uFF0D",
    u"临时会话 \uFF0D",
    u"in Session with",
    u"会话中",
};

// The markers of the group windows, whose titles name the group and not a speaker.
constexpr std::array<std::u16string_view, 2> kGroupMarkers = {u"群", u"Group \uFF0D"};

bool HoldsAny(std::u16string_view title, const auto& markers) {
    return std::any_of(markers.begin(), markers.end(),
                       [&](std::u16string_view marker) { return title.find(marker) != std::u16string_view::npos; });
}

// What a messenger puts in a chat window's title around the chat's name.
constexpr std::array<std::u16string_view, 3> kNameLeads = {u"与", u"和", u"Chat with"};
constexpr std::u16string_view kNameEdges = u" \t-\uFF0D:\uFF1A|_";

}  // namespace

std::u16string ChatName(std::u16string_view title) {
    std::u16string name(title);
    // A group's "群" is part of its name ("周末户外群"); every other marker is the messenger's.
    for (std::u16string_view marker : kTitleMarkers) {
        if (marker == u"群") continue;
        for (std::size_t at; (at = name.find(marker)) != std::u16string::npos;) name.erase(at, marker.size());
    }
    const auto trim = [&] {
        name.erase(0, std::min(name.size(), name.find_first_not_of(kNameEdges)));
        name.erase(name.find_last_not_of(kNameEdges) + 1);
    };
    trim();
    for (std::u16string_view lead : kNameLeads)
        if (name.starts_with(lead) && name.size() > lead.size()) {
            name.erase(0, lead.size());
            trim();
        }
    return name.empty() ? std::u16string(title) : name;
}

std::optional<ChatWindowRef> ChatTracking::AsChatWindow(ChatWindows& windows, TitledWindow window) const {
    std::string& title = window.title;
    // The title is what the platform put into a zero-filled buffer: it ends at its first NUL.
    title.resize(std::min(title.size(), title.find('\0')));
    if (title.empty()) return std::nullopt;
    const std::u16string unicode = windows.AnsiToUnicode(title);
    if (!HoldsAny(unicode, kTitleMarkers)) return std::nullopt;
    std::string name = windows.UnicodeToAnsi(ChatName(unicode));
    return ChatWindowRef{window.handle, std::move(title), HoldsAny(unicode, kGroupMarkers), std::move(name)};
}

bool ChatTracking::Saw(ChatWindowRef window, FirstSight how, LocalTime when) {
    FollowedChat& chat = chats_.Of(window.handle);
    const bool first = !chat.open;
    // How a window was met is kept while it is open, whatever its title says meanwhile.
    window.firstSight = first ? how : chat.window.firstSight;
    window.appeared = first ? when : chat.window.appeared;
    chat.window = std::move(window);
    chat.open = true;
    return first;
}

const ChatWindowRef& ChatTracking::CurrentChat() const {
    static const ChatWindowRef none;
    const FollowedChat* chat = chats_.Find(current_);
    return current_ != 0 && chat ? chat->window : none;
}

std::vector<ChatWindowRef> ChatTracking::ChatsBehind() const {
    std::vector<ChatWindowRef> behind;
    for (std::uintptr_t handle : behind_)
        if (const FollowedChat* chat = chats_.Find(handle)) behind.push_back(chat->window);
    return behind;
}

void ChatTracking::Reopened(std::uintptr_t from, std::uintptr_t to) {
    const bool followed = current_ == from || std::find(behind_.begin(), behind_.end(), from) != behind_.end();
    if (from == to || !followed) return;
    // The chat is followed in its new window as it was, until the tracking sees that one.
    FollowedChat& reopened = chats_.Of(to);
    if (const FollowedChat* closed = chats_.Find(from); closed && !reopened.open) {
        reopened.window = closed->window;
        reopened.window.handle = to;
        reopened.open = true;
    }
    if (current_ == from) current_ = to;
    // A chat behind may close and open again more than once between two looks.
    std::replace(behind_.begin(), behind_.end(), from, to);
    std::erase(behind_, current_);
}

void ChatTracking::Timer3Tick(ChatWindows& windows, bool everyChat, LocalTime now) {
    const std::uintptr_t before = current_;
    metBehind_.clear();
    if (std::optional<ChatWindowRef> front = AsChatWindow(windows, windows.Foreground())) {
        current_ = front->handle;
        Saw(std::move(*front), FirstSight::InFront, {});
    }
    if (!everyChat) {
        behind_.clear();
        noChats_.clear();
        ticksSinceLook_ = kTicksBetweenLooks;
        lookedBehind_ = false;
        return;
    }
    // Between looks, the chat that was in front goes on behind the one there now.
    std::erase(behind_, current_);
    if (before != current_ && before != 0) behind_.push_back(before);
    if (++ticksSinceLook_ < kTicksBetweenLooks) return;
    ticksSinceLook_ = 0;
    behind_.clear();
    // The windows open at the first look were there before the capture looked; any met
    // later opened since.
    const FirstSight behind = lookedBehind_ ? FirstSight::Appeared : FirstSight::BehindAtStart;
    lookedBehind_ = true;
    // A window that has never been a chat's, and was none at the last look, is most likely
    // none still: its title is asked again only every kLooksBetweenEveryTitle looks, as
    // each costs a call into the system. One retitled as a chat meanwhile is heard from
    // what came since a little before it was seen, as any chat that appears is. A chat's
    // window whose title is a notice for a while is asked at every look.
    const bool everyTitle = ++looksSinceEveryTitle_ >= kLooksBetweenEveryTitle;
    if (everyTitle) looksSinceEveryTitle_ = 0;
    std::set<std::uintptr_t> listed{current_};
    std::set<std::uintptr_t> noChats;
    for (std::uintptr_t handle : windows.TopLevelWindows()) {
        if (handle == current_) continue;
        listed.insert(handle);
        std::optional<ChatWindowRef> chat;
        if (everyTitle || !noChats_.contains(handle)) chat = AsChatWindow(windows, {handle, windows.Title(handle)});
        if (!chat && !chats_.Find(handle)) noChats.insert(handle);
        if (!chat || !windows.Shown(handle)) continue;
        behind_.push_back(handle);
        if (Saw(std::move(*chat), behind, now)) metBehind_.push_back(handle);
    }
    chats_.OpenOnly(listed);
    noChats_ = std::move(noChats);
}

}  // namespace parlowen::capture
