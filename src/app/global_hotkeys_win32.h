// The hotkeys registered with the system for the main window. Under Wine they reach the
// program only while a Wine window has the keyboard; on a Linux desktop the launcher's
// "--stop" and "--pause", bound to keys in the desktop's settings, do the same from anywhere.
#pragma once

#include "app/hotkeys.h"

#include <windows.h>

#include <optional>

namespace parlowen::app {

class GlobalHotkeys {
public:
    explicit GlobalHotkeys(const HWND& window) : window_(window) {}
    GlobalHotkeys(const GlobalHotkeys&) = delete;
    GlobalHotkeys& operator=(const GlobalHotkeys&) = delete;
    ~GlobalHotkeys() { Unregister(); }

    // Registers the hotkeys `wanted` names in place of those registered before. One that
    // another program holds is left out and thrown as one report naming it; the other is
    // registered all the same. The same refusal again is not reported again.
    void Register(const Hotkeys& wanted);
    void Unregister() noexcept;
    // The action of a WM_HOTKEY; nothing for a repeat of a held key, or an unknown id.
    std::optional<HotkeyAction> Pressed(WPARAM id);

private:
    struct Slot {
        int registered = 0;  // what the system holds for us; 0: nothing
        int refused = 0;     // the last combination the system refused, reported once
    };
    const HWND& window_;
    Slot slots_[2];
    HotkeyRepeats repeats_;
};

}  // namespace parlowen::app
