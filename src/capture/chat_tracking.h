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

    // The title bytes of the tracked chat window; empty until one has been seen.
    const std::string& CurrentChatTitle() const noexcept { return currentChatTitle_; }

    // The transcript of the tracked chat window (ChatWindows::ReadHistory), or empty.
    // Asks the platform nothing while no chat window has been seen.
    std::string ReadChatText(ChatWindows& windows) const;

private:
    std::string currentChatTitle_;
};

}  // namespace parlowen::capture
