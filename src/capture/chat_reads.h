// What the capture asks the platform to read of a chat window, and what comes back:
// the types that cross between the capture and its Win32 side.
#pragma once

#include "capture/chat_windows.h"
#include "capture/history_tail.h"

namespace parlowen::capture {

// What to read next: the followed window, and how far back.
struct ChatRead {
    ChatWindowRef window;
    ReadRequest request;
};

// What a read gave: the window asked for, the window read (another handle when the one
// asked for was gone; handle 0 when none was found), and its history.
struct WindowRead {
    ChatWindowRef requested;
    ChatWindowRef read;
    TailRead history;
};

}  // namespace parlowen::capture
