// The window services the chat tracking needs of the platform, and nothing more.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace parlowen::capture {

// The window in the foreground: its handle (0 when there is none) and its title as ANSI
// bytes, at most 254 of them.
struct ForegroundWindow {
    std::uintptr_t handle = 0;
    std::string title;
};

// A chat window as the capture follows it. The handle tells the window, so that a title
// that changes, or two windows of one title, are never taken for another window; the
// title names the friend in a one-to-one window, and finds the chat again when its
// window was closed and opened anew.
struct ChatWindowRef {
    std::uintptr_t handle = 0;
    std::string title;   // as it read when the window was last seen in front
    bool group = false;  // the title marks a group chat
    bool operator==(const ChatWindowRef&) const = default;
};

class ChatWindows {
public:
    virtual ~ChatWindows() = default;
    virtual ForegroundWindow Foreground() = 0;
    // ANSI text (the system code page) converted to UTF-16.
    virtual std::u16string AnsiToUnicode(std::string_view text) = 0;
    // Whether the window `handle` still exists.
    virtual bool Exists(std::uintptr_t handle) = 0;
};

}  // namespace parlowen::capture
