#include "capture/chat_capture.h"

#include <algorithm>
#include <limits>

namespace parlowen::capture {

void ChatCapture::TrackChats(ChatWindows& windows, bool everyChat, LocalTime now) {
    tracking_.Timer3Tick(windows, everyChat, now);
    AdoptClosedNamesake(tracking_.CurrentChat(), windows);
    for (std::uintptr_t chat : tracking_.MetBehind())
        if (const FollowedChat* met = tick_.followed().Find(chat)) AdoptClosedNamesake(met->window, windows);
}

void ChatCapture::AdoptClosedNamesake(const ChatWindowRef& window, ChatWindows& windows) {
    if (const std::optional<std::uintptr_t> closed = tick_.followed().ClosedNamesake(window, windows))
        Reopened(*closed, window.handle);
}

void ChatCapture::Reopened(std::uintptr_t from, std::uintptr_t to) {
    tracking_.Reopened(from, to);
    tick_.followed().Reopened(from, to);
    // Most often the messenger opened it again for a message: it is looked at at once, as
    // a chat that appears is, and is quiet until a message comes.
    tick_.followed().Of(to).lastMessage.reset();
}

std::optional<ChatRead> ChatCapture::NextRead() const {
    const ChatWindowRef& window = tracking_.CurrentChat();
    if (window.title.empty()) return std::nullopt;
    return ChatRead{window, tick_.RequestFor(window)};
}

std::vector<ChatRead> ChatCapture::NextReads(Clock::time_point now) {
    std::vector<ChatRead> reads;
    if (std::optional<ChatRead> front = NextRead()) reads.push_back(std::move(*front));
    const bool quietLooked = ++roundsSinceQuietLook_ >= kRoundsBetweenQuietLooks;
    if (quietLooked) roundsSinceQuietLook_ = 0;
    for (const ChatWindowRef& window : tracking_.ChatsBehind()) {
        // A chat first seen is looked at at once, and is quiet until a message comes.
        std::optional<Clock::time_point>& last = tick_.followed().Of(window.handle).lastMessage;
        const bool first = !last;
        if (first) last = now - kQuietAfter;
        if (first || quietLooked || now - *last < kQuietAfter)
            reads.push_back({window, tick_.RequestFor(window)});
    }
    return reads;
}

namespace {

// The time of day a message's header line shows, in seconds; unknown ones sort last.
long SecondOfDay(const ChatMessage& message) {
    const std::optional<HeaderShape> shape = HeaderShapeOf(message.header);
    return shape ? shape->secondOfDay : std::numeric_limits<long>::max();
}

}  // namespace

void ChatCapture::HandleReads(const std::vector<WindowRead>& reads, CaptureOutput& output, Clock::time_point now) {
    struct Arrived {
        ChatWindowRef window;
        std::vector<ChatMessage> messages;
    };
    std::vector<Arrived> arrived;
    for (const WindowRead& read : reads) {
        if (read.read.handle == 0) continue;
        if (read.read.handle != read.requested.handle) Reopened(read.requested.handle, read.read.handle);
        std::vector<ChatMessage> messages = tick_.TakeNew(read.read, read.history, now);
        if (messages.empty()) continue;
        tick_.followed().Of(read.read.handle).lastMessage = now;
        arrived.push_back({read.read, std::move(messages)});
    }
    // Messages of several chats in one round of reads came in the order their first
    // header lines' times show.
    std::stable_sort(arrived.begin(), arrived.end(), [](const Arrived& a, const Arrived& b) {
        return SecondOfDay(a.messages.front()) < SecondOfDay(b.messages.front());
    });
    for (const Arrived& chat : arrived) tick_.HandleMessages(chat.window, chat.messages, output);
}

}  // namespace parlowen::capture
