#include "capture/chat_capture.h"

namespace parlowen::capture {

std::optional<ChatRead> ChatCapture::NextRead() const {
    const ChatWindowRef& window = tracking_.CurrentChat();
    if (window.title.empty()) return std::nullopt;
    return ChatRead{window, tick_.RequestFor(window)};
}

void ChatCapture::HandleRead(const WindowRead& read, CaptureOutput& output, Clock::time_point now) {
    if (read.read.handle == 0) return;
    if (read.read.handle != read.requested.handle) {
        tick_.Reopened(read.requested.handle, read.read.handle);
        if (tracking_.CurrentChat().handle == read.requested.handle) tracking_.Reopened(read.read.handle);
    }
    tick_.Handle(read.read, read.history, output, now);
}

}  // namespace parlowen::capture
