#include "win32/menu_items_win32.h"

namespace parlowen::win32 {

bool IsMenuItemChecked(HMENU menu, unsigned id) {
    return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void SetMenuItemChecked(HMENU menu, unsigned id, bool checked) {
    ::CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace parlowen::win32
