// The chat capture as the main window runs it: which chat window is followed, its
// history read on a thread of its own, and each new message handed on.
#pragma once

#include "capture/chat_capture.h"
#include "capture/chat_windows_win32.h"
#include "capture/history_reader_win32.h"

#include <windows.h>

#include <memory>

namespace parlowen::capture {

class ChatCaptureWin32 {
public:
    // Reads start once Connect has given the reader a window to report to.
    ChatCaptureWin32() = default;
    ChatCaptureWin32(const ChatCaptureWin32&) = delete;
    ChatCaptureWin32& operator=(const ChatCaptureWin32&) = delete;

    // Starts the reading thread, which posts `readMessage` to `notify` when a read is
    // done, and `changedMessage` when it sees the followed history change between reads.
    // Throws PlatformError when the thread cannot be started; the capture then reads
    // nothing, and the rest of the program goes on.
    void Connect(HWND notify, UINT readMessage, UINT changedMessage);
    // Ends the reading thread: nothing is posted to the window any more.
    void Disconnect() noexcept { reader_.reset(); }

    // The tracking tick (Timer3Timer): follows the chat window the user brings to the
    // front, and with `everyChat` those open behind it.
    void TrackChats(bool everyChat);
    // The capture tick (Timer2Timer): starts reading the followed windows' histories;
    // with `frontOnly`, the chat last in front alone (its history was seen to change).
    // Nothing is read while no chat window has been seen.
    void StartRead(bool frontOnly = false);
    // When the read's message arrives: its last message, when new, goes to `output`.
    void HandleRead(CaptureOutput& output);

    // The capture's memory: the user's nicknames among it.
    CaptureTick& tick() noexcept { return capture_.tick(); }

private:
    ChatWindowsWin32 foreground_;  // the GUI thread's: foreground titles only
    ChatCapture capture_;
    std::unique_ptr<HistoryReaderWin32> reader_;
};

}  // namespace parlowen::capture
