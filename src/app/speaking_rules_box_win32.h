// The group "朗读时" on the page "群聊与朗读": how messages are said (links, symbols,
// repeats, the longest said of one message, and whether a one-to-one chat's messages
// wait for each other). What the user changes here applies to the
// next message and is saved with the settings.
#pragma once

#include "speech/spoken_form.h"

#include <windows.h>

namespace parlowen::app {

class SpeakingRulesBox {
public:
    // Builds the controls on `page` with their top at `top`.
    SpeakingRulesBox(HWND page, int top, speech::SpeakingRules& rules);

    // Shows the rules as the settings have them.
    void Show();
    // Notifications of the box's controls; whether `id` was one of them.
    bool OnCommand(unsigned id, unsigned notification);

private:
    HWND links_, symbols_, repeats_, longest_, queue_;
    speech::SpeakingRules& rules_;
};

}  // namespace parlowen::app
