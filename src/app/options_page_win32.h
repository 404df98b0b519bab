// The options page "选项": the reading options and the two voice groups. It builds its
// controls, owns the two voice profiles that speak through them, hands the stored
// settings to its controls and back, and handles its controls' notifications.
#pragma once

#include "app/settings/settings.h"
#include "capture/capture_tick.h"
#include "speech/profile_controls_win32.h"
#include "speech/voice_engine.h"
#include "speech/voice_profiles.h"

#include <windows.h>

namespace parlowen::app {

class OptionsPage {
public:
    // Builds the controls on `page`; the two voice objects speak for mine and the friend's profile.
    OptionsPage(HWND page, speech::VoiceEngine& mineVoice, speech::VoiceEngine& friendVoice);
    OptionsPage(const OptionsPage&) = delete;
    OptionsPage& operator=(const OptionsPage&) = delete;

    // Start-up: the voices listed and the stored voices, rates and volumes applied (engine
    // errors propagate), then the four reading options.
    void LoadVoiceProfiles(const settings::StoredSettings& stored);
    void LoadReadingOptions(const settings::StoredSettings& stored);
    // Exit: what the controls hold now, into the values to save.
    void CollectSettings(settings::SettingsToSave& values) const;

    // The four check boxes as the user has set them now; the time display is the menu's.
    capture::ReadingOptions ReadingOptions() const;

    // Notifications of the page's controls; OnCommand answers whether `id` was one of them.
    bool OnCommand(unsigned id, unsigned notification);
    void OnTrackBar(HWND slider, unsigned request);

    speech::VoiceProfiles& profiles() noexcept { return profiles_; }

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
    static Controls CreateControls(HWND page);
    static VoiceGroup CreateVoiceGroup(HWND page, bool isFriend);
    static speech::ProfileControlsWin32 ProfileControlsOf(const VoiceGroup& group);

    Controls controls_;
    speech::ProfileControlsWin32 mineControls_;
    speech::ProfileControlsWin32 friendControls_;
    speech::VoiceProfiles profiles_;
};

}  // namespace parlowen::app
