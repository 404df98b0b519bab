// Chat window tracking: which messenger chat window the capture reads.
#pragma once

#include "capture/chat_windows.h"

#include <string>

namespace parlowen::capture {

class ChatTracking {
public:
    // The tracking tick: when the foreground window's title carries a chat window
    // marker, that title becomes CurrentChatTitle. Nothing else ever changes it, so the
    // last chat window stays tracked while the user works elsewhere.
    void Timer3Tick(ChatWindows& windows);

    // The title bytes of the tracked chat window, by which its history is read; empty
    // until one has been seen, and nothing is read then.
    const std::string& CurrentChatTitle() const noexcept { return currentChatTitle_; }

private:
    std::string currentChatTitle_;
};

}  // namespace parlowen::capture
