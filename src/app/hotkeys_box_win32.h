// The group "热键" on the page "群聊与朗读": the hotkeys that stop and that pause reading
// from any program, each switched on or off by its check box and changed by pressing
// the new combination in its box, and whether pausing and resuming are said aloud. A
// change is registered at once and saved with the settings.
#pragma once

#include "app/hotkeys.h"

#include <windows.h>

namespace parlowen::app {

class HotkeysBox {
public:
    // Builds the controls on `page` with their top at `top`.
    HotkeysBox(HWND page, int top, Hotkeys& hotkeys);

    // Shows the hotkeys as the settings have them.
    void Show();
    // Notifications of the box's controls; whether `id` was one of them.
    bool OnCommand(unsigned id, unsigned notification);

private:
    HWND stopOn_, stopKey_, pauseOn_, pauseKey_, sayPause_;
    Hotkeys& hotkeys_;
};

}  // namespace parlowen::app
