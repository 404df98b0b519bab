#include "capture/chat_modes.h"

#include "capture/header_format.h"
#include "text/gbk.h"

#include <algorithm>
#include <cctype>

namespace parlowen::capture {
namespace {

bool IsWordByte(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// Whether `name` stands in `text` at a character's start, and where it begins or ends
// with a letter or digit, as a whole word there ("sky" not in "skyline").
bool Holds(std::string_view text, std::string_view name) {
    for (std::size_t i = 0; i + name.size() <= text.size(); i += text::GbkCharLength(text, i)) {
        if (text.compare(i, name.size(), name) != 0) continue;
        const bool startsWord = IsWordByte(name.front()) && i > 0 && IsWordByte(text[i - 1]);
        const bool endsWord = IsWordByte(name.back()) && i + name.size() < text.size() && IsWordByte(text[i + name.size()]);
        if (!startsWord && !endsWord) return true;
    }
    return false;
}

}  // namespace

void ChatModes::Meet(std::string_view name, bool group) {
    const auto known = std::find_if(chats_.begin(), chats_.end(), [&](const ChatEntry& chat) { return chat.name == name; });
    if (known != chats_.end()) {
        if (known->group == group) return;
        known->group = group;
    } else {
        chats_.push_back({std::string(name), group, ChatMode::All});
        // The oldest chat heard whole goes first: one the user set a mode for stays.
        for (auto it = chats_.begin(); chats_.size() > kChatsKept && it != chats_.end();)
            it = it->mode == ChatMode::All ? chats_.erase(it) : it + 1;
    }
    changed_ = true;
}

ChatMode ChatModes::ModeOf(std::string_view name) const {
    const auto known = std::find_if(chats_.begin(), chats_.end(), [&](const ChatEntry& chat) { return chat.name == name; });
    return known == chats_.end() ? ChatMode::All : known->mode;
}

bool ChatModes::Set(std::string_view name, ChatMode mode) {
    const auto known = std::find_if(chats_.begin(), chats_.end(), [&](const ChatEntry& chat) { return chat.name == name; });
    if (known == chats_.end()) return false;
    known->mode = mode;
    changed_ = true;
    return true;
}

void ChatModes::Restore(std::vector<ChatEntry> chats) {
    chats_.clear();
    for (ChatEntry& chat : chats)
        if (!chat.name.empty() &&
            std::none_of(chats_.begin(), chats_.end(), [&](const ChatEntry& kept) { return kept.name == chat.name; }))
            chats_.push_back(std::move(chat));
    changed_ = false;
}

bool NamesTheUser(std::string_view body, const std::vector<std::string>& userNames) {
    return std::any_of(userNames.begin(), userNames.end(), [&](const std::string& name) {
        const std::string spoken = SenderName(name);
        return (!name.empty() && Holds(body, name)) || (!spoken.empty() && Holds(body, spoken));
    });
}

}  // namespace parlowen::capture
