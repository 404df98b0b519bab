#include "app/hotkeys.h"

#include <gtest/gtest.h>

namespace {

using parlowen::app::HotkeyAction;
using parlowen::app::HotkeyRepeats;

TEST(Hotkeys, AreNamedAsTheUserPressesThem) {
    EXPECT_EQ(parlowen::app::HotkeyName(parlowen::app::kDefaultStopHotkey, "S"), "Ctrl+Alt+S");
    EXPECT_EQ(parlowen::app::HotkeyName(parlowen::app::MakeHotkey(parlowen::app::kHotkeyShift | 2, 0x78), "F9"),
              "Ctrl+Shift+F9");
}

// A held key comes again every 30 ms or so, after up to a second; each hotkey on its own.
TEST(Hotkeys, AHeldKeyIsOnePressAndAKeyPressedAgainLaterIsAnother) {
    HotkeyRepeats repeats;
    EXPECT_FALSE(repeats.IsRepeat(HotkeyAction::Pause, 0xFFFFFF00u));  // the count wraps while it is held
    EXPECT_FALSE(repeats.IsRepeat(HotkeyAction::Stop, 0xFFFFFF10u));
    for (std::uint32_t t = 0xFFFFFF00u + 1000; t != 0xFFFFFF00u + 5000; t += 40)
        EXPECT_TRUE(repeats.IsRepeat(HotkeyAction::Pause, t));
    EXPECT_FALSE(repeats.IsRepeat(HotkeyAction::Pause, 0xFFFFFF00u + 5000 + 1200));
    EXPECT_FALSE(repeats.IsRepeat(HotkeyAction::Stop, 0xFFFFFF00u + 5000 + 1200));
}

}  // namespace
