// The main window's menu bar and the tray icon's menu.
#pragma once

#include <windows.h>

namespace parlowen::app {

// Both are built without access keys; check items start as the window first shows them.
HMENU BuildMainMenu();
HMENU BuildTrayMenu();


}  // namespace parlowen::app
