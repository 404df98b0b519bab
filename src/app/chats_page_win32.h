// The page "聊天窗口": whether every open chat window is read or only the one last in
// front, and the chats met, each heard whole, only where the user is named, or not at
// all. What the user changes here takes effect at once and is saved.
#pragma once

#include "capture/capture_tick.h"
#include "capture/chat_modes.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace parlowen::app {

class ChatsPage {
public:
    // Builds the controls on `page`.
    ChatsPage(HWND page, capture::ReadingOptions& reading, capture::ChatModes& chats);
    ChatsPage(const ChatsPage&) = delete;
    ChatsPage& operator=(const ChatsPage&) = delete;

    // Shows the reading options and the chats as they are now.
    void Refresh();
    // Notifications of the page's controls; each answers whether it was one of them.
    bool OnCommand(unsigned id, unsigned notification);
    bool OnNotify(const NMHDR& header);

private:
    void ShowSelectedChat();
    // The selected chat's name; empty when none is selected.
    std::string SelectedChat() const;

    HWND everyChat_, chats_, mode_;
    // The chats' names as they are, by each row's item data.
    std::vector<std::string> rowNames_;
    capture::ReadingOptions& reading_;
    capture::ChatModes& modes_;
};

}  // namespace parlowen::app
