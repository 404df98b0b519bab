// The main window's side of starting with Windows: the two check items, kept in step.
#include "app/control_ids.h"
#include "app/main_window_win32.h"
#include "app/menus_win32.h"
#include "app/startup_shortcut_win32.h"

namespace parlowen::app {

void TFmain::SetStartupMarks(bool checked) {
    SetMenuItemChecked(::GetMenu(hwnd_), IdNOpenOnStartup, checked);
    SetMenuItemChecked(trayMenu_.get(), IdNOpenOnStartup2, checked);
}

void TFmain::ShowStartupShortcutMarks() {
    ShellLinkFiles files;
    SetStartupMarks(StartupShortcutExists(files, RunningStartupPlaces()));
}

// NOpenOnStartupClick and NOpenOnStartup2Click: the clicked item decides, the other follows.
void TFmain::NOpenOnStartupClick(bool inTrayMenu) {
    const bool checked = inTrayMenu ? !IsMenuItemChecked(trayMenu_.get(), IdNOpenOnStartup2)
                                    : !IsMenuItemChecked(::GetMenu(hwnd_), IdNOpenOnStartup);
    SetStartupMarks(checked);
    ShellLinkFiles files;
    ApplyStartWithWindows(files, RunningStartupPlaces(), checked);
}

}  // namespace parlowen::app
