// The histories of the messenger's chat windows, read on the reading thread: each
// window's history control found once, its end read when a cheap test finds it changed,
// and the history of the chat named for it watched between reads.
#pragma once

#include "capture/chat_reads.h"
#include "capture/history_tail.h"
#include "capture/messenger_memory_win32.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

namespace parlowen::capture {

class ChatHistoriesWin32 {
public:
    // Once `cancelled` (when given) is set, no further request is sent and a read under
    // way ends as if the messenger had stopped answering.
    explicit ChatHistoriesWin32(const std::atomic<bool>* cancelled = nullptr) : cancelled_(cancelled) {}

    // Reads the history of the first direct child of class "RichEdit20A" of the window
    // `request` names (ChatCapture), or of the window of its title once that one is gone
    // (the chat closed and opened again): its end when a cheap test finds it changed,
    // what it read last time when not (HistoryTailReader, one for each control); an
    // empty history on any failure.
    WindowRead Read(const ChatRead& request);
    static constexpr int kQuickLooksBetweenTests = 4;
    // Forgets what was read of controls that are gone, and the blocks in messengers
    // that have ended.
    void ForgetClosed();
    // How the reads of every control went.
    HistoryTailReader::Counts ReadCounts() const noexcept;

    // Between reads, the history of the chat window `chatWindow` is watched for a change,
    // as last read; none when it was not read, or was read whole, as a length then costs
    // a walk of the text.
    void Watch(std::uintptr_t chatWindow);
    // Between reads, the watched history is looked at this often. 150 ms: a message is
    // found 75 ms after it came mostly, and within 150 ms, at two thirds of the cost of
    // looking every 100 ms.
    static constexpr DWORD kWatchIntervalMs = 150;
    bool Watching() const noexcept;
    // Whether the watched history's length has changed since it was read or last found
    // changed: one request through the block already in the messenger's memory, answered
    // without walking the text.
    bool WatchedHistoryChanged();

private:
    MessengerMemory& MemoryOf(DWORD processId);
    // The history control of `chatWindow`, looked for once (each look costs a call into
    // the system); nullptr when it has none.
    HWND HistoryOf(HWND chatWindow);

    const std::atomic<bool>* cancelled_;
    // A block in each messenger's memory, by its process.
    std::map<DWORD, std::unique_ptr<MessengerMemory>> memories_;
    // What is known of each history control read.
    struct Followed {
        HistoryTailReader tail;
        int quickLooks = 0;   // length-only looks since the last whole cheap test
        DWORD processId = 0;  // the messenger's
        // The length last read, or last found by the watch, and when the watch found it
        // (GetTickCount): the look of the next read, when made a moment before it.
        std::optional<long> length;
        std::optional<DWORD> watchedAt;
    };
    std::map<HWND, Followed> tails_;
    std::map<HWND, HWND> historyOf_;  // by chat window
    HWND watched_ = nullptr;
};

}  // namespace parlowen::capture
