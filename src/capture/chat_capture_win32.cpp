#include "capture/chat_capture_win32.h"

namespace parlowen::capture {

void ChatCaptureWin32::Connect(HWND notify, UINT message) {
    reader_ = std::make_unique<HistoryReaderWin32>(notify, message);
}

void ChatCaptureWin32::StartRead() {
    if (reader_ && !tracking_.CurrentChatTitle().empty()) reader_->Start(tracking_.CurrentChatTitle());
}

void ChatCaptureWin32::HandleRead(CaptureOutput& output) {
    if (!reader_) return;
    if (std::optional<HistoryReaderWin32::Read> read = reader_->Take()) tick_.Handle(read->chatTitle, read->history, output);
}

}  // namespace parlowen::capture
