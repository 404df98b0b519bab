// The main window's menu bar and the tray icon's menu, and the boxes their commands open.
#pragma once

#include <windows.h>

namespace parlowen::app {

// Both are built without access keys; check items start as the window first shows them.
HMENU BuildMainMenu();
HMENU BuildTrayMenu();

// "帮助" and "关于": neither box has an owner window, so the main window stays usable
// while one is open.
void Help1Click();
void About1Click();

}  // namespace parlowen::app
