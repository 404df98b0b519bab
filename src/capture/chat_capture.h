// The chat capture: which chat window is followed, what a read of it must reach, and
// what becomes of each read. The platform reads the window: by its handle while it
// exists, else the window of the same title (the chat closed and opened again).
#pragma once

#include "capture/capture_tick.h"
#include "capture/chat_reads.h"
#include "capture/chat_tracking.h"
#include "capture/chat_windows.h"
#include "capture/history_tail.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace parlowen::capture {

class ChatCapture {
public:
    using Clock = CaptureTick::Clock;
    static constexpr std::chrono::milliseconds kBodyWait = ChatMemory::kBodyWait;

    // The tracking tick (Timer3Timer): follows the chat window the user brings to the
    // front, and with `everyChat` the other chat windows open behind it; `now` is the
    // user's clock. A chat closed and opened again, in front or behind, goes on from
    // where its closed window was.
    void TrackChats(ChatWindows& windows, bool everyChat = false, LocalTime now = {});
    const ChatWindowRef& CurrentChat() const noexcept { return tracking_.CurrentChat(); }
    std::vector<ChatWindowRef> ChatsBehind() const { return tracking_.ChatsBehind(); }
    // The capture tick (Timer2Timer) asks for this read of the chat last in front;
    // nothing while no chat window has been seen.
    std::optional<ChatRead> NextRead() const;
    // The reads of every chat followed at `now`, a second after the last: the one last in
    // front first, then those behind it; one with no message for kQuietAfter is looked at
    // every kRoundsBetweenQuietLooks seconds, as most chats are quiet most of the time and
    // each look costs the messenger a request.
    std::vector<ChatRead> NextReads(Clock::time_point now);
    static constexpr std::chrono::seconds kQuietAfter{60};
    static constexpr int kRoundsBetweenQuietLooks = 3;
    // When the read is done: its new messages go to `output`.
    void HandleRead(const WindowRead& read, CaptureOutput& output, Clock::time_point now) {
        HandleReads({read}, output, now);
    }
    // When reads of several windows are done: their new messages go to `output` in the
    // order their times show, each window's in its own order.
    void HandleReads(const std::vector<WindowRead>& reads, CaptureOutput& output, Clock::time_point now);

    const CaptureTick& tick() const noexcept { return tick_; }
    CaptureTick& tick() noexcept { return tick_; }

private:
    // `to` is the window of the chat that was in `from`.
    void Reopened(std::uintptr_t from, std::uintptr_t to);
    void AdoptClosedNamesake(const ChatWindowRef& window, ChatWindows& windows);

    CaptureTick tick_;
    ChatTracking tracking_{tick_.followed()};
    // Rounds of reads since the quiet chats were looked at.
    int roundsSinceQuietLook_ = 0;
};

}  // namespace parlowen::capture
