// Reads the tracked chat window's history on a thread of its own. Every request to the
// messenger waits for the messenger's own thread to answer (up to 2 s when it hangs),
// and under Wine a request for the end of the text walks the history from its start
// (15 ms at 10 MB, the whole text 400 ms), so the GUI thread only starts a read and
// later takes its result, posted back as a window message.
// Between reads the thread watches the history it read last with one cheap request, so
// that a new message is read at once rather than at the next tick: no event tells
// another process that a rich edit's text changed under Wine.
#pragma once

#include "win32/handles_win32.h"
#include "capture/chat_histories_win32.h"

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::capture {

class HistoryReaderWin32 {
public:
    // `readMessage` is posted to `notify` each time a read is done, and `changedMessage`
    // when the history last read is seen to change between reads.
    HistoryReaderWin32(HWND notify, UINT readMessage, UINT changedMessage);
    HistoryReaderWin32(const HistoryReaderWin32&) = delete;
    HistoryReaderWin32& operator=(const HistoryReaderWin32&) = delete;
    // Ends a read under way at its next request and waits for the thread.
    ~HistoryReaderWin32();

    // Starts the reads `requests` ask for, one window after another, unless the last
    // ones have not been taken yet: a messenger slower than the ticks is never asked
    // twice at once. The first window is watched between reads.
    void Start(std::vector<ChatRead> requests);
    // The reads that `message` announced.
    std::optional<std::vector<WindowRead>> Take();

private:
    static DWORD WINAPI Run(void* self);
    void ReadRequests();
    // Watches between reads until reads are asked for (true) or the thread is to end;
    // `changeReported` tells that a change seen waits for the read it brings.
    bool AwaitRequests(bool& changeReported);

    HWND notify_;
    UINT readMessage_;
    UINT changedMessage_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> asked_{false};  // reads asked for and not yet started
    ChatHistoriesWin32 histories_{&stopping_};  // used by the reading thread alone
    win32::UniqueKernelHandle wake_;
    win32::UniqueKernelHandle thread_;
    // Handed between the threads: the GUI thread writes the request and then wakes the
    // reader; the reader writes the result and then posts the message. Each side
    // touches its slot only while the other waits for it, guarded by `lock_`.
    CRITICAL_SECTION lock_;
    std::vector<ChatRead> requests_;
    std::optional<std::vector<WindowRead>> result_;
    bool busy_ = false;  // GUI thread only: a read started and not yet taken
    static constexpr int kReadsBetweenForgetting = 10;
    int readsSinceForgetting_ = 0;  // the reading thread's
};

}  // namespace parlowen::capture
