#include "app/options_page_win32.h"

#include "win32/child_window_win32.h"
#include "app/control_ids.h"
#include "speech/voice_ranges.h"

#include <commctrl.h>

#include <array>
#include <optional>

namespace parlowen::app {
namespace {

using win32::CreateCheckBox;
using win32::CreateChild;
using win32::IsChecked;
using win32::Offset;
using win32::Rect;
using win32::SetChecked;

HWND CreateTrackBar(HWND page, Rect r, unsigned id, int minimum, int maximum) {
    HWND bar = CreateChild(page, TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, r, id);
    ::SendMessageW(bar, TBM_SETRANGEMIN, FALSE, minimum);
    ::SendMessageW(bar, TBM_SETRANGEMAX, FALSE, maximum);
    ::SendMessageW(bar, TBM_SETTICFREQ, 1, 0);
    ::SendMessageW(bar, TBM_SETLINESIZE, 0, 1);
    ::SendMessageW(bar, TBM_SETPAGESIZE, 0, 2);
    ::SendMessageW(bar, TBM_SETPOS, TRUE, 0);
    return bar;
}

int Position(HWND slider) { return static_cast<int>(::SendMessageW(slider, TBM_GETPOS, 0, 0)); }

std::optional<int> SelectedEntry(HWND box) {
    const LRESULT index = ::SendMessageW(box, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? std::nullopt : std::optional<int>(static_cast<int>(index));
}

// Positions inside one voice group; the friend's group differs by a few pixels.
struct VoiceGroupLayout {
    unsigned firstId;
    const wchar_t* caption;
    Rect group;
    Rect rateLabel, rateSlider, rateValue, volumeSlider, volumeValue, defaultButton;
};

constexpr VoiceGroupLayout kMineLayout{
    IdGroupBox1, L"我的引擎设置", {12, 91, 277, 141},
    {9, 59, 28, 13}, {64, 55, 164, 28}, {239, 54, 30, 13},
    {63, 85, 164, 28}, {237, 89, 30, 13}, {104, 116, 75, 22}};

constexpr VoiceGroupLayout kFriendLayout{
    IdGroupBox2, L"好友的引擎设置", {12, 239, 277, 142},
    {9, 55, 28, 13}, {63, 51, 165, 28}, {234, 54, 30, 13},
    {63, 85, 165, 28}, {234, 89, 30, 13}, {104, 117, 75, 21}};

}  // namespace

OptionsPage::OptionsPage(HWND page, speech::VoiceProfiles& profiles, capture::ReadingOptions& reading)
    : controls_(CreateControls(page)),
      mineControls_(ProfileControlsOf(controls_.mine)),
      friendControls_(ProfileControlsOf(controls_.friend_)),
      profiles_(profiles),
      reading_(reading) {
    profiles_.ShowIn(&mineControls_, &friendControls_);
    ShowReadingOptions();
}

OptionsPage::~OptionsPage() { profiles_.ShowIn(nullptr, nullptr); }

OptionsPage::Controls OptionsPage::CreateControls(HWND page) {
    Controls c;
    const Rect reading{12, 3, 277, 82};
    CreateChild(page, L"BUTTON", L"朗读设置", BS_GROUPBOX, reading, IdGroupBox3);
    c.cbMe = CreateCheckBox(page, L"朗读自己的消息", Offset({14, 25, 113, 17}, reading), IdCBMe);
    c.cbFriend = CreateCheckBox(page, L"朗读好友的消息", Offset({136, 25, 113, 17}, reading), IdCBFriend);
    c.cbMyname = CreateCheckBox(page, L"朗读自己的昵称", Offset({14, 50, 113, 17}, reading), IdCBmyname);
    c.cbFriendsname = CreateCheckBox(page, L"朗读好友的昵称", Offset({136, 50, 113, 17}, reading), IdCBFriendsname);
    c.mine = CreateVoiceGroup(page, false);
    c.friend_ = CreateVoiceGroup(page, true);
    return c;
}

OptionsPage::VoiceGroup OptionsPage::CreateVoiceGroup(HWND page, bool isFriend) {
    const VoiceGroupLayout& l = isFriend ? kFriendLayout : kMineLayout;
    const unsigned id = l.firstId;  // the ids follow IdGroupBox1's order for both groups
    // In reading order, each control right after its label, which names it for screen readers.
    CreateChild(page, L"BUTTON", l.caption, BS_GROUPBOX, l.group, id);
    CreateChild(page, L"STATIC", L"引擎:", 0, Offset({9, 27, 28, 13}, l.group), id + (IdLabelEngine - IdGroupBox1));
    VoiceGroup g;
    // The box lets the user type as well as pick; its list drops below the 21-pixel field.
    g.cbVoice = CreateChild(page, WC_COMBOBOXW, L"", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP,
                            Offset({68, 24, 176, 200}, l.group), id + (IdCBVoice - IdGroupBox1));
    CreateChild(page, L"STATIC", L"语速:", 0, Offset(l.rateLabel, l.group), id + (IdLabelRate - IdGroupBox1));
    g.tRate = CreateTrackBar(page, Offset(l.rateSlider, l.group), id + (IdTRate - IdGroupBox1), speech::kMinRate,
                             speech::kMaxRate);
    g.lRate = CreateChild(page, L"STATIC", L"0", 0, Offset(l.rateValue, l.group), id + (IdLRate - IdGroupBox1));
    CreateChild(page, L"STATIC", L"音量:", 0, Offset({9, 91, 28, 13}, l.group), id + (IdLabelVolume - IdGroupBox1));
    g.tVolume = CreateTrackBar(page, Offset(l.volumeSlider, l.group), id + (IdTVolume - IdGroupBox1),
                               speech::kMinVolume, speech::kMaxVolume);
    g.lVolume = CreateChild(page, L"STATIC", L"0", 0, Offset(l.volumeValue, l.group), id + (IdLVolume - IdGroupBox1));
    CreateChild(page, L"BUTTON", L"默认", BS_PUSHBUTTON | WS_TABSTOP, Offset(l.defaultButton, l.group),
                id + (IdBtnDefault1 - IdGroupBox1));
    return g;
}

speech::ProfileControlsWin32 OptionsPage::ProfileControlsOf(const VoiceGroup& g) {
    return speech::ProfileControlsWin32(g.cbVoice, g.tRate, g.tVolume, g.lRate, g.lVolume);
}

std::array<OptionsPage::ReadingOptionBox, 4> OptionsPage::ReadingOptionBoxes() const {
    using capture::ReadingOptions;
    return {{{IdCBMe, controls_.cbMe, &ReadingOptions::readMine},
             {IdCBFriend, controls_.cbFriend, &ReadingOptions::readFriend},
             {IdCBmyname, controls_.cbMyname, &ReadingOptions::readMyName},
             {IdCBFriendsname, controls_.cbFriendsname, &ReadingOptions::readFriendsName}}};
}

void OptionsPage::ShowReadingOptions() {
    for (const ReadingOptionBox& box : ReadingOptionBoxes()) SetChecked(box.window, reading_.*box.option);
}

bool OptionsPage::OnCommand(unsigned id, unsigned notification) {
    switch (id) {
    case IdCBVoice:
    case IdCBVoice1:  // CBVoiceChange, CBVoice1Change
        if (notification == CBN_SELCHANGE || notification == CBN_EDITCHANGE) {
            const VoiceGroup& group = id == IdCBVoice ? controls_.mine : controls_.friend_;
            profiles_.VoiceChanged(id == IdCBVoice ? chat::Role::Mine : chat::Role::Friend,
                                   SelectedEntry(group.cbVoice).value_or(-1));
        }
        return true;
    case IdCBMe:
    case IdCBFriend:
    case IdCBmyname:
    case IdCBFriendsname:
        for (const ReadingOptionBox& box : ReadingOptionBoxes())
            if (box.id == id && notification == BN_CLICKED) reading_.*box.option = IsChecked(box.window);
        return true;
    case IdBtnDefault1:
        profiles_.ResetRateAndVolume(chat::Role::Mine);
        return true;
    case IdBtnDefault2:
        profiles_.ResetRateAndVolume(chat::Role::Friend);
        return true;
    default:
        return false;
    }
}

// TRateChange, TRate1Change, TVolumeChange, TVolume1Change.
void OptionsPage::OnTrackBar(HWND slider, unsigned request) {
    // The end of a drag or key press repeats the position already reported.
    if (request == TB_ENDTRACK || request == TB_THUMBPOSITION) return;
    const int position = Position(slider);
    if (slider == controls_.mine.tRate) profiles_.RateChanged(chat::Role::Mine, position);
    if (slider == controls_.friend_.tRate) profiles_.RateChanged(chat::Role::Friend, position);
    if (slider == controls_.mine.tVolume) profiles_.VolumeChanged(chat::Role::Mine, position);
    if (slider == controls_.friend_.tVolume) profiles_.VolumeChanged(chat::Role::Friend, position);
}

}  // namespace parlowen::app
