#include "app/hotkeys_box_win32.h"

#include "app/control_ids.h"
#include "win32/child_window_win32.h"

#include <commctrl.h>

namespace parlowen::app {
namespace {

using win32::CreateCheckBox;
using win32::CreateChild;
using win32::IsChecked;
using win32::Offset;
using win32::Rect;
using win32::SetChecked;

// A key alone, or with Shift only, would be taken from every program: the box adds
// Ctrl+Alt to such a combination.
HWND CreateHotkeyControl(HWND page, Rect r, unsigned id) {
    HWND control = CreateChild(page, HOTKEY_CLASSW, L"", WS_BORDER | WS_TABSTOP, r, id);
    ::SendMessageW(control, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    return control;
}

int ShownHotkey(HWND control) { return static_cast<int>(LOWORD(::SendMessageW(control, HKM_GETHOTKEY, 0, 0))); }

}  // namespace

HotkeysBox::HotkeysBox(HWND page, int top, Hotkeys& hotkeys) : hotkeys_(hotkeys) {
    const Rect group{12, top, 277, 66};
    CreateChild(page, L"BUTTON", L"热键（在任何程序中都可以按）", BS_GROUPBOX, group, IdGroupHotkeys);
    stopOn_ = CreateCheckBox(page, L"停止朗读", Offset({10, 20, 96, 17}, group), IdStopHotkeyOn);
    stopKey_ = CreateHotkeyControl(page, Offset({110, 18, 157, 20}, group), IdStopHotkey);
    pauseOn_ = CreateCheckBox(page, L"暂停/继续", Offset({10, 43, 96, 17}, group), IdPauseHotkeyOn);
    pauseKey_ = CreateHotkeyControl(page, Offset({110, 41, 157, 20}, group), IdPauseHotkey);
    Show();
}

void HotkeysBox::Show() {
    // A hotkey switched off shows its default, ready to be switched on again.
    const auto show = [](HWND on, HWND key, int hotkey, int fallback) {
        SetChecked(on, hotkey != 0);
        ::SendMessageW(key, HKM_SETHOTKEY, static_cast<WPARAM>(hotkey != 0 ? hotkey : fallback), 0);
        ::EnableWindow(key, hotkey != 0);
    };
    show(stopOn_, stopKey_, hotkeys_.stop, kDefaultStopHotkey);
    show(pauseOn_, pauseKey_, hotkeys_.pause, kDefaultPauseHotkey);
}

bool HotkeysBox::OnCommand(unsigned id, unsigned notification) {
    switch (id) {
    case IdStopHotkeyOn:
    case IdPauseHotkeyOn:
        if (notification != BN_CLICKED) return true;
        break;
    case IdStopHotkey:
    case IdPauseHotkey:
        if (notification != EN_CHANGE) return true;
        break;
    default:
        return false;
    }
    // An emptied box (Backspace) switches its hotkey off too.
    hotkeys_.stop = IsChecked(stopOn_) ? ShownHotkey(stopKey_) : 0;
    hotkeys_.pause = IsChecked(pauseOn_) ? ShownHotkey(pauseKey_) : 0;
    if (id == IdStopHotkeyOn || id == IdPauseHotkeyOn) Show();
    return true;
}

}  // namespace parlowen::app
