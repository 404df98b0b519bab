#include "capture/chat_capture_win32.h"

namespace parlowen::capture {

void ChatCaptureWin32::Connect(HWND notify, UINT readMessage, UINT changedMessage) {
    reader_ = std::make_unique<HistoryReaderWin32>(notify, readMessage, changedMessage);
}

void ChatCaptureWin32::TrackChats(bool everyChat) {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    capture_.TrackChats(foreground_, everyChat,
                        {local.wMonth, local.wDay, (local.wHour * 60 + local.wMinute) * 60 + local.wSecond});
}

void ChatCaptureWin32::StartRead(bool frontOnly) {
    if (!reader_) return;
    if (!frontOnly) return reader_->Start(capture_.NextReads(ChatCapture::Clock::now()));
    if (const std::optional<ChatRead> request = capture_.NextRead()) reader_->Start({*request});
}

void ChatCaptureWin32::HandleRead(CaptureOutput& output) {
    if (!reader_) return;
    if (const std::optional<std::vector<WindowRead>> reads = reader_->Take())
        capture_.HandleReads(*reads, output, ChatCapture::Clock::now());
}

}  // namespace parlowen::capture
