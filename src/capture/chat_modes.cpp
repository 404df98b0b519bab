#include "capture/chat_modes.h"

#include "capture/header_format.h"
#include "text/gbk.h"

#include <algorithm>

namespace parlowen::capture {
namespace {

bool IsWordByte(char c) { return text::IsAsciiWordByte(static_cast<unsigned char>(c)); }

// Whether `name` stands in `text` at a character's start, and where it begins or ends
// with a letter or digit, as a whole word there ("sky" not in "skyline"). The character
// before it counts only when it is a one-byte one: a trail byte may read as a letter.
bool Holds(std::string_view text, std::string_view name) {
    bool afterWordCharacter = false;
    for (std::size_t i = 0, length = 0; i + name.size() <= text.size(); i += length) {
        length = text::GbkCharLength(text, i);
        const bool here = text.compare(i, name.size(), name) == 0;
        if (here && !(IsWordByte(name.front()) && afterWordCharacter) &&
            !(IsWordByte(name.back()) && i + name.size() < text.size() && IsWordByte(text[i + name.size()])))
            return true;
        afterWordCharacter = length == 1 && IsWordByte(text[i]);
    }
    return false;
}

}  // namespace

const ChatEntry* ChatModes::Find(std::string_view name) const {
    const auto known = std::find_if(chats_.begin(), chats_.end(), [&](const ChatEntry& chat) { return chat.name == name; });
    return known == chats_.end() ? nullptr : &*known;
}

void ChatModes::Meet(std::string_view name, bool group) {
    if (ChatEntry* known = Find(name)) {
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
    const ChatEntry* known = Find(name);
    return known ? known->mode : ChatMode::All;
}

bool ChatModes::Set(std::string_view name, ChatMode mode) {
    ChatEntry* known = Find(name);
    if (!known) return false;
    known->mode = mode;
    changed_ = true;
    return true;
}

void ChatModes::Restore(std::vector<ChatEntry> chats) {
    chats_.clear();
    for (ChatEntry& chat : chats)
        if (!chat.name.empty() && !Find(chat.name)) chats_.push_back(std::move(chat));
    changed_ = false;
}

bool NamesTheUser(std::string_view body, const std::vector<std::string>& userNames) {
    return std::any_of(userNames.begin(), userNames.end(), [&](const std::string& name) {
        const std::string spoken = SenderName(name);
        return (!name.empty() && Holds(body, name)) || (!spoken.empty() && Holds(body, spoken));
    });
}

}  // namespace parlowen::capture
