// What the capture keeps of each chat it follows, one record a chat, by its window.
#pragma once

#include "capture/chat_memory.h"
#include "capture/chat_windows.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace parlowen::capture {

struct FollowedChat {
    using Clock = ChatMemory::Clock;
    // The window as last seen: its title and name, and how and when it was first seen,
    // which count while `open` (the tracking saw it at its last look).
    ChatWindowRef window;
    bool open = false;
    // From the first read of the window on: the last message settled there, and when the
    // chat was read last, in reads counted.
    std::optional<ChatMemory> memory;
    std::uint64_t lastRead = 0;
    // When it last gave a message, as a chat quiet for long is looked at less often.
    std::optional<Clock::time_point> lastMessage;
    // The member whose name was said last: a member's next message says the name again
    // only after someone else has spoken.
    std::string lastMemberNamed;
};

class FollowedChats {
public:
    // The record of the window `handle`; nullptr where none has been begun.
    FollowedChat* Find(std::uintptr_t handle);
    const FollowedChat* Find(std::uintptr_t handle) const;
    // The record of the window `handle`, begun when there is none.
    FollowedChat& Of(std::uintptr_t handle);

    // The window `from` was gone and `to`, of the same title, was read in its place: the
    // chat was closed and opened again, and its record goes on under `to`, unless `to`
    // has been read already. What was seen of `to` (its title, when it opened) stays.
    void Reopened(std::uintptr_t from, std::uintptr_t to);
    // Of the chats read under `window`'s title whose windows no longer exist, the one read
    // last, when `window` has not been read yet: the chat closed, whose place it takes.
    std::optional<std::uintptr_t> ClosedNamesake(const ChatWindowRef& window, ChatWindows& windows) const;

    // The tracking looked through the windows, and found those `listed` open: how every
    // other was first seen no longer counts.
    void OpenOnly(const std::set<std::uintptr_t>& listed);

    // The window whose message was said last; 0 before any.
    std::uintptr_t lastHeard = 0;

private:
    std::map<std::uintptr_t, FollowedChat> chats_;
};

}  // namespace parlowen::capture
