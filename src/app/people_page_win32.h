// The page "群聊与朗读": the user's nicknames, which tell the user's own messages in a
// group, the user's own replacements, the members met in group chats, each with its
// voice, which the user can change, and mute, how messages are said and the hotkeys.
// What the user changes here takes effect at once and is saved.
#pragma once

#include "app/hotkeys_box_win32.h"
#include "app/people_win32.h"
#include "app/replacements_win32.h"
#include "app/speaking_rules_box_win32.h"
#include "speech/voice_profiles.h"

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace parlowen::app {

class PeoplePage {
public:
    // Builds the controls on `page`.
    PeoplePage(HWND page, PeopleWin32& people, ReplacementsWin32& replacements, speech::VoiceProfiles& profiles,
               speech::SpeakingRules& speaking, Hotkeys& hotkeys);
    PeoplePage(const PeoplePage&) = delete;
    PeoplePage& operator=(const PeoplePage&) = delete;

    // Shows the nicknames, the replacements and the members as they are now; a text box
    // only while the user is not editing it.
    void Refresh();
    // Shows how messages are said and the hotkeys, as the settings have them.
    void ShowSettings() {
        if (speakingRules_) speakingRules_->Show();
        if (hotkeys_) hotkeys_->Show();
    }
    // Notifications of the page's controls; each answers whether it was one of them.
    bool OnCommand(unsigned id, unsigned notification);
    bool OnNotify(const NMHDR& header);

private:
    void ShowMembers();
    void ShowSelectedMember();
    void ApplyNicknames();
    void ApplyReplacements();
    void ApplySelectedVoice();
    void ApplyMute();
    // The selected member's name; empty when none is selected.
    std::string SelectedMember() const;
    // The variants the voice box lists: every one a member may get, and the selected
    // member's own when it is not among them.
    std::vector<speech::VoiceVariant> ListedVariants(const speech::Member* member) const;

    HWND nicknames_, replacements_, members_, voice_, mute_;
    std::optional<SpeakingRulesBox> speakingRules_;
    std::optional<HotkeysBox> hotkeys_;
    std::vector<speech::VoiceVariant> listed_;  // what the voice box shows, in its order
    // The members' names as they are, by each row's item data: a name of bytes that are
    // no text shows garbled, but is still the member's.
    std::vector<std::string> rowNames_;
    PeopleWin32& people_;
    ReplacementsWin32& words_;
    speech::VoiceProfiles& profiles_;
};

}  // namespace parlowen::app
