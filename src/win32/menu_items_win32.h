// The check mark of a menu item, by its command id.
#pragma once

#include <windows.h>

namespace parlowen::win32 {

bool IsMenuItemChecked(HMENU menu, unsigned id);
void SetMenuItemChecked(HMENU menu, unsigned id, bool checked);

}  // namespace parlowen::win32
