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

}  // namespace

void ChatTracking::Timer3Tick(ChatWindows& windows) {
    ForegroundWindow foreground = windows.Foreground();
    std::string& title = foreground.title;
    // The title is what the platform put into a zero-filled buffer: it ends at its first NUL.
    title.resize(std::min(title.size(), title.find('\0')));
    if (title.empty()) return;
    const std::u16string unicode = windows.AnsiToUnicode(title);
    if (!HoldsAny(unicode, kTitleMarkers)) return;
    current_ = {foreground.handle, std::move(title), HoldsAny(unicode, kGroupMarkers)};
}

}  // namespace parlowen::capture
