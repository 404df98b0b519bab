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
    const Rect group{12, top, 277, 82};
    CreateChild(page, L"BUTTON", L"热键（在任何程序中都可以按）", BS_GROUPBOX, group, IdGroupHotkeys);
    // The check box beside a hotkey box is no label to a screen reader: one never shown is.
    stopOn_ = CreateCheckBox(page, L"停止朗读", Offset({10, 18, 96, 17}, group), IdStopHotkeyOn);
    win32::CreateHiddenLabel(page, L"停止朗读的热键", IdLabelStopHotkey);
    stopKey_ = CreateHotkeyControl(page, Offset({110, 16, 157, 20}, group), IdStopHotkey);
    pauseOn_ = CreateCheckBox(page, L"暂停/继续", Offset({10, 40, 96, 17}, group), IdPauseHotkeyOn);
    win32::CreateHiddenLabel(page, L"暂停/继续的热键", IdLabelPauseHotkey);
    pauseKey_ = CreateHotkeyControl(page, Offset({110, 38, 157, 20}, group), IdPauseHotkey);
    sayPause_ = CreateCheckBox(page, L"暂停和继续时说出来", Offset({10, 61, 257, 17}, group), IdSayPause);
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
    SetChecked(sayPause_, hotkeys_.sayPause);
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
    case IdSayPause:
        if (notification == BN_CLICKED) hotkeys_.sayPause = IsChecked(sayPause_);
        return true;
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
