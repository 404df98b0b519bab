// Chat window tracking: which messenger chat window the capture reads.
#pragma once

#include "capture/chat_windows.h"

#include <cstdint>
#include <string>

namespace parlowen::capture {

class ChatTracking {
public:
    // The tracking tick: when the foreground window's title carries a chat window
    // marker, that window becomes the current chat. Nothing else ever changes it, so the
    // last chat window stays followed while the user works elsewhere.
    void Timer3Tick(ChatWindows& windows);
    // The followed window was gone, and `handle`, a window of the same title, read in
    // its place: the chat was closed and opened again.
    void Reopened(std::uintptr_t handle) noexcept { current_.handle = handle; }

    // Handle 0 and an empty title until a chat window has been seen; nothing is read then.
    const ChatWindowRef& CurrentChat() const noexcept { return current_; }
    const std::string& CurrentChatTitle() const noexcept { return current_.title; }

private:
    ChatWindowRef current_;
};

}  // namespace parlowen::capture
