#include "capture/chat_tracking.h"

#include <algorithm>
#include <array>
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

std::optional<ChatWindowRef> ChatTracking::AsChatWindow(ChatWindows& windows, TitledWindow window) {
    std::string& title = window.title;
    // The title is what the platform put into a zero-filled buffer: it ends at its first NUL.
    title.resize(std::min(title.size(), title.find('\0')));
    if (title.empty()) return std::nullopt;
    const std::u16string unicode = windows.AnsiToUnicode(title);
    if (!HoldsAny(unicode, kTitleMarkers)) return std::nullopt;
    std::string name = windows.UnicodeToAnsi(ChatName(unicode));
    ChatWindowRef chat{window.handle, std::move(title), HoldsAny(unicode, kGroupMarkers), std::move(name)};
    if (const auto met = met_.find(window.handle); met != met_.end()) {
        chat.firstSight = met->second.how;
        chat.appeared = met->second.when;
    }
    return chat;
}

void ChatTracking::Reopened(std::uintptr_t from, std::uintptr_t to) {
    if (current_.handle == from) current_.handle = to;
    // A chat behind may close and open again more than once between two looks.
    for (ChatWindowRef& chat : behind_)
        if (chat.handle == from) chat.handle = to;
    met_.try_emplace(to, Sighting{FirstSight::InFront, {}});
}

void ChatTracking::Timer3Tick(ChatWindows& windows, bool everyChat, LocalTime now) {
    ChatWindowRef before = current_;
    metBehind_.clear();
    if (std::optional<ChatWindowRef> front = AsChatWindow(windows, windows.Foreground())) {
        current_ = std::move(*front);
        met_.try_emplace(current_.handle, Sighting{FirstSight::InFront, {}});
    }
    if (!everyChat) {
        behind_.clear();
        ticksSinceLook_ = kTicksBetweenLooks;
        lookedBehind_ = false;
        return;
    }
    // Between looks, the chat that was in front goes on behind the one there now.
    std::erase_if(behind_, [&](const ChatWindowRef& chat) { return chat.handle == current_.handle; });
    if (before.handle != current_.handle && before.handle != 0) behind_.push_back(std::move(before));
    if (++ticksSinceLook_ < kTicksBetweenLooks) return;
    ticksSinceLook_ = 0;
    behind_.clear();
    // The windows open at the first look were there before the capture looked; any met
    // later opened since.
    const Sighting behind{lookedBehind_ ? FirstSight::Appeared : FirstSight::BehindAtStart, now};
    lookedBehind_ = true;
    // How a window was met is kept while it is open, whatever its title says meanwhile.
    std::map<std::uintptr_t, Sighting> stillOpen;
    const auto keep = [&](std::uintptr_t handle) {
        if (const auto met = met_.find(handle); met != met_.end()) stillOpen.insert(*met);
    };
    keep(current_.handle);
    for (TitledWindow& window : windows.TopLevelWindows()) {
        if (window.handle == current_.handle) continue;
        keep(window.handle);
        std::optional<ChatWindowRef> chat = AsChatWindow(windows, std::move(window));
        if (!chat || !windows.Shown(chat->handle)) continue;
        if (stillOpen.try_emplace(chat->handle, behind).second) {
            chat->firstSight = behind.how;
            chat->appeared = behind.when;
            metBehind_.push_back(*chat);
        }
        behind_.push_back(std::move(*chat));
    }
    met_ = std::move(stillOpen);
}

}  // namespace parlowen::capture
