// The window services the chat tracking needs of the platform, and nothing more.
#pragma once

#include "capture/header_format.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::capture {

// A top-level window: its handle (0 when there is none) and its title as ANSI bytes, at
// most 254 of them.
struct TitledWindow {
    std::uintptr_t handle = 0;
    std::string title;
};

// How a chat window was first seen: in front of the others; behind them when the
// capture began to follow every chat, so that what it held was said before; or opened
// behind them later (the messenger opens a chat window when a message comes), so that
// what arrived as it opened is new and the older history shown above it is not.
enum class FirstSight : unsigned char { InFront, BehindAtStart, Appeared };

// A chat window as the capture follows it. The handle tells the window, so that a title
// that changes, or two windows of one title, are never taken for another window; the
// title names the friend in a one-to-one window, and finds the chat again when its
// window was closed and opened anew.
struct ChatWindowRef {
    std::uintptr_t handle = 0;
    std::string title;   // as it read when the window was last seen
    bool group = false;  // the title marks a group chat
    // The chat's name: the title without the messenger's words (the friend, the group).
    std::string name{};
    FirstSight firstSight = FirstSight::InFront;
    LocalTime appeared{};  // when it was first seen, where it Appeared
    bool operator==(const ChatWindowRef&) const = default;
};

class ChatWindows {
public:
    virtual ~ChatWindows() = default;
    virtual TitledWindow Foreground() = 0;
    // Every top-level window, shown or not, in the system's order.
    virtual std::vector<std::uintptr_t> TopLevelWindows() = 0;
    // The title of the window `handle` as ANSI bytes, at most 254 of them; empty when it
    // has none.
    virtual std::string Title(std::uintptr_t handle) = 0;
    // Whether the top-level window `handle` is shown: asked of chat windows alone, as each
    // answer about another program's window costs a call into the system.
    virtual bool Shown(std::uintptr_t handle) = 0;
    // ANSI text (the system code page) converted to UTF-16, and back.
    virtual std::u16string AnsiToUnicode(std::string_view text) = 0;
    virtual std::string UnicodeToAnsi(std::u16string_view text) = 0;
    // Whether the window `handle` still exists.
    virtual bool Exists(std::uintptr_t handle) = 0;
};

}  // namespace parlowen::capture
