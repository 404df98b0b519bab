// Chat window tracking: which messenger chat window the capture reads.
#pragma once

#include "capture/chat_windows.h"
#include "capture/followed_chats.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::capture {

// The chat's name in a window title: the title without the messenger's words ("moon" of
// "与 moon 交谈中", "周末户外群"); the title itself where nothing else is left.
std::u16string ChatName(std::u16string_view title);

class ChatTracking {
public:
    // What is seen of each chat window goes into its record in `chats`.
    explicit ChatTracking(FollowedChats& chats) : chats_(chats) {}

    // The tracking tick: when the foreground window's title carries a chat window
    // marker, that window becomes the current chat. Nothing else ever changes it, so the
    // last chat window stays followed while the user works elsewhere. With `everyChat`,
    // every other top-level window whose title carries one is followed behind it; the
    // windows are looked through for new ones every kTicksBetweenLooks ticks, as each
    // title asked for costs a call into the system. `now` is the user's clock, by which a
    // window that opens behind the others tells its new messages from its older ones.
    void Timer3Tick(ChatWindows& windows, bool everyChat = false, LocalTime now = {});
    static constexpr int kTicksBetweenLooks = 3;
    static constexpr int kLooksBetweenEveryTitle = 5;
    // The followed window `from` was gone, and `to`, a window of the same title, read in
    // its place: the chat was closed and opened again, and is followed where it was.
    void Reopened(std::uintptr_t from, std::uintptr_t to);

    // Handle 0 and an empty title until a chat window has been seen; nothing is read then.
    const ChatWindowRef& CurrentChat() const;
    const std::string& CurrentChatTitle() const { return CurrentChat().title; }
    // The chat windows followed behind the current one, in the system's order.
    std::vector<ChatWindowRef> ChatsBehind() const;
    // Those of them met for the first time at the last tick.
    const std::vector<std::uintptr_t>& MetBehind() const noexcept { return metBehind_; }

private:
    // `window` as a chat window, when its title carries a marker.
    std::optional<ChatWindowRef> AsChatWindow(ChatWindows& windows, TitledWindow window) const;
    // `window` seen now: its record takes its title, and how and when it was first seen
    // when it was not open before (then true).
    bool Saw(ChatWindowRef window, FirstSight how, LocalTime when);

    FollowedChats& chats_;
    std::uintptr_t current_ = 0;
    std::vector<std::uintptr_t> behind_;
    std::vector<std::uintptr_t> metBehind_;
    int ticksSinceLook_ = kTicksBetweenLooks;
    bool lookedBehind_ = false;  // since every chat has been followed
    std::set<std::uintptr_t> noChats_;  // windows never a chat's, nor at the last look
    int looksSinceEveryTitle_ = 0;
};

}  // namespace parlowen::capture
