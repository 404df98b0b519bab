#include "capture/chat_memory.h"

#include "capture/history_tail.h"

#include <algorithm>
#include <limits>

namespace parlowen::capture {

std::size_t ChatMemory::ParseFrom(std::string_view text, long start, bool searchBack) const {
    if (!last_) return 0;
    const long shift = searchBack ? HistoryTailReader::kCappedShiftCharacters : 0;
    const long from = std::max(0L, last_->position - shift - start);
    return ByteOfPosition(text, from).value_or(0);
}

std::size_t ChatMemory::ParseLimit() const noexcept {
    return last_ ? std::numeric_limits<std::size_t>::max() : kLinesOfALastMessage;
}

bool ChatMemory::Is(const std::vector<ChatMessage>& messages, std::size_t index) const {
    const ChatMessage& message = messages[index];
    const bool before = index == 0 || !last_->previousHeader || messages[index - 1].header == *last_->previousHeader;
    return message.header == last_->header && message.body.starts_with(last_->bodyStart) && before;
}

std::optional<std::size_t> ChatMemory::Find(const std::vector<ChatMessage>& messages) const {
    if (!last_) return std::nullopt;
    // Where it stood; else the nearest copy before that, since a history capped in
    // length only ever moves its messages towards the start.
    std::optional<std::size_t> nearest;
    for (std::size_t i = 0; i < messages.size() && messages[i].position <= last_->position; ++i) {
        if (!Is(messages, i)) continue;
        if (messages[i].position == last_->position) return i;
        nearest = i;
    }
    return nearest;
}

std::vector<const ChatMessage*> ChatMemory::Settle(const Transcript& parsed, std::string_view lastHeaderSeen,
                                                   Clock::time_point now) {
    if (parsed.clockSettled && clock_ == ClockStyle::Unknown) clock_ = parsed.clock;
    const std::vector<ChatMessage>& messages = parsed.messages;
    std::size_t first = messages.size();
    const auto waited = std::find_if(messages.begin(), messages.end(), [&](const ChatMessage& m) {
        return waiting_ && m.header == waiting_->header && m.position == waiting_->position;
    });
    if (const std::optional<std::size_t> found = Find(messages)) {
        first = *found + 1;
    } else if (waited != messages.end()) {
        // The place was not known when the message waited (a window first seen, a
        // history cleared): it and all after it are new.
        first = static_cast<std::size_t>(waited - messages.begin());
    } else if (!messages.empty() && messages.back().header != (last_ ? std::string_view(last_->header) : lastHeaderSeen)) {
        first = messages.size() - 1;
    }

    std::vector<const ChatMessage*> handled;
    const ChatMessage* settled = nullptr;
    for (std::size_t i = first; i < messages.size(); ++i) {
        const ChatMessage& message = messages[i];
        if (message.body.empty() && i + 1 == messages.size()) {
            const bool same = waiting_ && waiting_->header == message.header && waiting_->position == message.position;
            if (!same) waiting_ = Pending{message.header, message.position, now};
            if (now - waiting_->since < kBodyWait) break;
        }
        settled = &message;
        if (!message.body.empty()) handled.push_back(&message);
    }
    if (settled) {
        const std::size_t index = static_cast<std::size_t>(settled - messages.data());
        last_ = Settled{settled->header, settled->body.substr(0, kBodyStartBytes), settled->position,
                        index > 0 ? std::optional<std::string>(messages[index - 1].header) : std::nullopt};
        if (settled == &messages.back()) waiting_.reset();
    }
    // A message that waited and is no longer last was settled above, or the history
    // changed under it: either way it waits no more.
    if (waiting_ && (messages.empty() || !messages.back().body.empty())) waiting_.reset();
    return handled;
}

}  // namespace parlowen::capture
