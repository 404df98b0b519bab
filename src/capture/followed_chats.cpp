#include "capture/followed_chats.h"

#include <utility>

namespace parlowen::capture {

FollowedChat* FollowedChats::Find(std::uintptr_t handle) {
    const auto chat = chats_.find(handle);
    return chat == chats_.end() ? nullptr : &chat->second;
}

const FollowedChat* FollowedChats::Find(std::uintptr_t handle) const {
    const auto chat = chats_.find(handle);
    return chat == chats_.end() ? nullptr : &chat->second;
}

FollowedChat& FollowedChats::Of(std::uintptr_t handle) {
    FollowedChat& chat = chats_[handle];
    chat.window.handle = handle;
    return chat;
}

void FollowedChats::Reopened(std::uintptr_t from, std::uintptr_t to) {
    const auto closed = chats_.find(from);
    if (from == to || closed == chats_.end() || !closed->second.memory) return;
    FollowedChat& reopened = Of(to);
    if (reopened.memory) return;
    FollowedChat moved = std::move(closed->second);
    chats_.erase(closed);
    moved.window.handle = to;
    if (reopened.open) {
        moved.window = std::move(reopened.window);
        moved.open = true;
    }
    reopened = std::move(moved);
    if (lastHeard == from) lastHeard = to;
}

void FollowedChats::OpenOnly(const std::set<std::uintptr_t>& listed) {
    for (auto& [handle, chat] : chats_) chat.open = chat.open && listed.contains(handle);
}

std::optional<std::uintptr_t> FollowedChats::ClosedNamesake(const ChatWindowRef& window, ChatWindows& windows) const {
    if (window.handle == 0) return std::nullopt;
    if (const FollowedChat* known = Find(window.handle); known && known->memory) return std::nullopt;
    std::optional<std::uintptr_t> closed;
    std::uint64_t closedRead = 0;
    for (const auto& [handle, chat] : chats_)
        if (chat.memory && chat.memory->MayBeReadUnder(window.title) && (!closed || chat.lastRead > closedRead) &&
            !windows.Exists(handle)) {
            closed = handle;
            closedRead = chat.lastRead;
        }
    return closed;
}

}  // namespace parlowen::capture
