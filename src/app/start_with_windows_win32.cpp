// The main window's side of starting with Windows: the two check items, kept in step.
#include "app/control_ids.h"
#include "app/main_window_win32.h"
#include "app/menus_win32.h"
#include "win32/menu_items_win32.h"
#include "app/startup_shortcut_win32.h"
#include "app/xdg_autostart_win32.h"

namespace parlowen::app {
namespace {

void SetStartupMarks(HMENU menuBar, HMENU trayMenu, bool checked) {
    win32::SetMenuItemChecked(menuBar, IdNOpenOnStartup, checked);
    win32::SetMenuItemChecked(trayMenu, IdNOpenOnStartup2, checked);
}

}  // namespace

void TFmain::ShowStartupShortcutMarks() {
    ShellLinkFiles files;
    const bool exists = StartupShortcutExists(files, RunningStartupPlaces());
    SetStartupMarks(::GetMenu(hwnd_), trayMenu_.get(), exists);
    if (exists) RestoreXdgAutostart();
}

// NOpenOnStartupClick and NOpenOnStartup2Click: the clicked item decides, the other follows,
// once the option is applied. Under Wine the desktop's autostart entry goes first: when it
// cannot be written, that is reported with nothing changed, and when the shortcut then
// fails, the entry is put back. A failure leaves the marks as they were.
void TFmain::NOpenOnStartupClick(bool inTrayMenu) {
    const bool checked = inTrayMenu ? !win32::IsMenuItemChecked(trayMenu_.get(), IdNOpenOnStartup2)
                                    : !win32::IsMenuItemChecked(::GetMenu(hwnd_), IdNOpenOnStartup);
    ApplyXdgAutostart(checked);
    ShellLinkFiles files;
    try {
        ApplyStartWithWindows(files, RunningStartupPlaces(), checked);
    } catch (...) {
        try {
            ApplyXdgAutostart(!checked);
        } catch (...) {
        }
        throw;
    }
    SetStartupMarks(::GetMenu(hwnd_), trayMenu_.get(), checked);
}

}  // namespace parlowen::app
