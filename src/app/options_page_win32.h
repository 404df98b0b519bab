// The options page "选项": the reading options and the two voice groups. It builds its
// controls, shows the program's settings in them, and writes what the user changes
// there into the settings and the voice profiles.
#pragma once

#include "capture/capture_tick.h"
#include "speech/profile_controls_win32.h"
#include "speech/voice_profiles.h"

#include <windows.h>

#include <array>

namespace parlowen::app {

class OptionsPage {
public:
    // Builds the controls on `page`, which show `profiles` from then on.
    OptionsPage(HWND page, speech::VoiceProfiles& profiles, capture::ReadingOptions& reading);
    ~OptionsPage();
    OptionsPage(const OptionsPage&) = delete;
    OptionsPage& operator=(const OptionsPage&) = delete;

    // The four reading options' check boxes as the settings have them.
    void ShowReadingOptions();

    // Notifications of the page's controls; OnCommand answers whether `id` was one of them.
    bool OnCommand(unsigned id, unsigned notification);
    void OnTrackBar(HWND slider, unsigned request);

private:
    struct VoiceGroup {
        HWND cbVoice = nullptr;
        HWND tRate = nullptr;
        HWND tVolume = nullptr;
        HWND lRate = nullptr;
        HWND lVolume = nullptr;
    };
    struct Controls {
        HWND cbMe = nullptr;
        HWND cbFriend = nullptr;
        HWND cbMyname = nullptr;
        HWND cbFriendsname = nullptr;
        VoiceGroup mine, friend_;
    };
    // A reading option's check box.
    struct ReadingOptionBox {
        unsigned id;
        HWND window;
        bool capture::ReadingOptions::*option;
    };
    std::array<ReadingOptionBox, 4> ReadingOptionBoxes() const;
    static Controls CreateControls(HWND page);
    static VoiceGroup CreateVoiceGroup(HWND page, bool isFriend);
    static speech::ProfileControlsWin32 ProfileControlsOf(const VoiceGroup& group);

    Controls controls_;
    speech::ProfileControlsWin32 mineControls_;
    speech::ProfileControlsWin32 friendControls_;
    speech::VoiceProfiles& profiles_;
    capture::ReadingOptions& reading_;
};

}  // namespace parlowen::app
