#include "app/global_hotkeys_win32.h"

#include "win32/errors_win32.h"
#include "win32/text_win32.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

namespace parlowen::app {
namespace {

constexpr HotkeyAction kActions[] = {HotkeyAction::Stop, HotkeyAction::Pause};

int HotkeyOf(const Hotkeys& hotkeys, HotkeyAction action) {
    return action == HotkeyAction::Stop ? hotkeys.stop : hotkeys.pause;
}

const wchar_t* ActionName(HotkeyAction action) {
    return action == HotkeyAction::Stop ? L"停止朗读" : L"暂停/继续朗读";
}

UINT SystemModifiers(int hotkey) {
    const int modifiers = hotkey >> 8;
    return ((modifiers & kHotkeyShift) ? MOD_SHIFT : 0) | ((modifiers & kHotkeyControl) ? MOD_CONTROL : 0) |
           ((modifiers & kHotkeyAlt) ? MOD_ALT : 0);
}

// The key's name as the keyboard layout gives it ("S", "F9", "Home").
std::string KeyName(int hotkey) {
    const UINT key = static_cast<UINT>(hotkey & 0xFF);
    LONG scanCode = static_cast<LONG>(::MapVirtualKeyW(key, 0 /* MAPVK_VK_TO_VSC */)) << 16;
    if ((hotkey >> 8) & HOTKEYF_EXT) scanCode |= 1 << 24;
    wchar_t name[64] = L"";
    if (::GetKeyNameTextW(scanCode, name, 64) > 0) return win32::WideToAnsi(name);
    return "0x" + std::to_string(key);
}

}  // namespace

void GlobalHotkeys::Register(const Hotkeys& wanted) {
    std::wstring refusals;
    for (HotkeyAction action : kActions) {
        Slot& slot = slots_[static_cast<int>(action) - 1];
        const int hotkey = HotkeyOf(wanted, action);
        if (hotkey == slot.registered) continue;
        if (slot.registered != 0) ::UnregisterHotKey(window_, static_cast<int>(action));
        slot.registered = 0;
        if (hotkey == 0) continue;
        if (::RegisterHotKey(window_, static_cast<int>(action), SystemModifiers(hotkey),
                             static_cast<UINT>(hotkey & 0xFF))) {
            slot.registered = hotkey;
            slot.refused = 0;
            continue;
        }
        if (slot.refused == hotkey) continue;
        slot.refused = hotkey;
        refusals += L"“" + std::wstring(ActionName(action)) + L"”的热键 " + win32::AnsiToWide(HotkeyName(hotkey, KeyName(hotkey))) +
                    L" 已被其他程序占用，现在不能用。\r\n";
    }
    if (!refusals.empty())
        throw std::runtime_error(win32::WideToAnsi(refusals + L"可以在“群聊与朗读”页换一个组合"));
}

void GlobalHotkeys::Unregister() noexcept {
    for (HotkeyAction action : kActions) {
        Slot& slot = slots_[static_cast<int>(action) - 1];
        if (slot.registered != 0 && window_) ::UnregisterHotKey(window_, static_cast<int>(action));
        slot.registered = 0;
    }
}

std::optional<HotkeyAction> GlobalHotkeys::Pressed(WPARAM id) {
    for (HotkeyAction action : kActions)
        if (id == static_cast<WPARAM>(action) && !repeats_.IsRepeat(action, ::GetTickCount())) return action;
    return std::nullopt;
}

}  // namespace parlowen::app
