// The two system-wide hotkeys: one silences reading and drops what waits, one pauses and
// resumes it. Each is kept as the hotkey control gives it: the key's virtual-key code in
// the low byte and the modifiers in the high one; 0 is none.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace parlowen::app {

// The hotkey control's modifier bits (HOTKEYF_SHIFT, HOTKEYF_CONTROL, HOTKEYF_ALT).
inline constexpr int kHotkeyShift = 1, kHotkeyControl = 2, kHotkeyAlt = 4;
inline constexpr int MakeHotkey(int modifiers, int key) { return modifiers << 8 | key; }
// Ctrl+Alt+S(top) and Ctrl+Alt+P(ause): no messenger or common program takes them.
inline constexpr int kDefaultStopHotkey = MakeHotkey(kHotkeyControl | kHotkeyAlt, 'S');
inline constexpr int kDefaultPauseHotkey = MakeHotkey(kHotkeyControl | kHotkeyAlt, 'P');

struct Hotkeys {
    int stop = kDefaultStopHotkey;
    int pause = kDefaultPauseHotkey;
    // Pausing and resuming are said aloud ("暂停朗读", "继续朗读"): a user who cannot see
    // the tray icon turn grey hears what the key did.
    bool sayPause = true;
    bool operator==(const Hotkeys&) const = default;
};

enum class HotkeyAction { Stop = 1, Pause = 2 };

// "Ctrl+Alt+" and the key's name, as the user reads it in a report.
std::string HotkeyName(int hotkey, std::string_view keyName);

// A held hotkey comes again and again (Windows repeats it, and Wine ignores the flag that
// asks it not to): a press within this long of the last one of the same hotkey is a
// repeat, so that holding the pause key does not toggle reading on and off. Longer than
// the longest delay before a held key repeats (one second in the keyboard settings).
class HotkeyRepeats {
public:
    static constexpr std::uint64_t kRepeatWithinMs = 1100;
    // Whether the press of `action` at `nowMs` (a millisecond count that may wrap) is a
    // repeat of a held key.
    bool IsRepeat(HotkeyAction action, std::uint32_t nowMs);

private:
    std::uint32_t lastMs_[3] = {};
    bool seen_[3] = {};
};

}  // namespace parlowen::app
