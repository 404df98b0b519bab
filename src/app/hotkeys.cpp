#include "app/hotkeys.h"

namespace parlowen::app {

std::string HotkeyName(int hotkey, std::string_view keyName) {
    const int modifiers = hotkey >> 8;
    std::string name;
    if (modifiers & kHotkeyControl) name += "Ctrl+";
    if (modifiers & kHotkeyAlt) name += "Alt+";
    if (modifiers & kHotkeyShift) name += "Shift+";
    return name + std::string(keyName);
}

bool HotkeyRepeats::IsRepeat(HotkeyAction action, std::uint32_t nowMs) {
    const auto slot = static_cast<std::size_t>(action);
    // Measured from the last press, repeats or not: a key held for a minute is one press.
    const bool repeat = seen_[slot] && static_cast<std::uint32_t>(nowMs - lastMs_[slot]) < kRepeatWithinMs;
    seen_[slot] = true;
    lastMs_[slot] = nowMs;
    return repeat;
}

}  // namespace parlowen::app
