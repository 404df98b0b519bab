// How the user wants each chat heard: every message, only those that name the user, or
// none (still logged). Kept by the chat's name, so that it holds for the chat whenever
// its window is opened again, and across runs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace parlowen::capture {

enum class ChatMode { All, Mentions, Muted };

struct ChatEntry {
    std::string name;  // the chat's name (ChatName of its title), ANSI bytes
    bool group = false;
    ChatMode mode = ChatMode::All;
    bool operator==(const ChatEntry&) const = default;
};

class ChatModes {
public:
    // Chats kept, the first met going first, never one the user set a mode for.
    static constexpr std::size_t kChatsKept = 200;

    // The chat `name` is followed: new ones are heard whole.
    void Meet(std::string_view name, bool group);
    ChatMode ModeOf(std::string_view name) const;
    // The user's choice; false when no such chat is known.
    bool Set(std::string_view name, ChatMode mode);

    // In the order they were first met.
    const std::vector<ChatEntry>& chats() const noexcept { return chats_; }
    // Chats as the chats file kept them.
    void Restore(std::vector<ChatEntry> chats);
    // Whether anything changed since the last call, for saving only when needed.
    bool TakeChanged() noexcept { return std::exchange(changed_, false); }

private:
    const ChatEntry* Find(std::string_view name) const;
    ChatEntry* Find(std::string_view name) { return const_cast<ChatEntry*>(std::as_const(*this).Find(name)); }

    std::vector<ChatEntry> chats_;
    bool changed_ = false;
};

// Whether `body` names the user: one of `userNames` (as header lines write them, or as
// they are spoken, "sky" of "sky(88888)"), alone or after "@", never inside a Chinese
// character's bytes.
bool NamesTheUser(std::string_view body, const std::vector<std::string>& userNames);

}  // namespace parlowen::capture
