#include "capture/chat_capture_win32.h"

namespace parlowen::capture {

void ChatCaptureWin32::Connect(HWND notify, UINT readMessage, UINT changedMessage) {
    reader_ = std::make_unique<HistoryReaderWin32>(notify, readMessage, changedMessage);
}

void ChatCaptureWin32::StartRead() {
    const std::string& title = tracking_.CurrentChatTitle();
    if (reader_ && !title.empty()) reader_->Start(title, tick_.LastHandledPosition(title));
}

void ChatCaptureWin32::HandleRead(CaptureOutput& output) {
    if (!reader_) return;
    if (std::optional<HistoryReaderWin32::Read> read = reader_->Take()) tick_.Handle(read->chatTitle, read->history, output);
}

}  // namespace parlowen::capture
