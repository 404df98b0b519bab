#include "app/people_page_win32.h"

#include "app/control_ids.h"
#include "text/lines.h"
#include "win32/child_window_win32.h"
#include "win32/list_view_win32.h"
#include "win32/text_win32.h"

#include <algorithm>

namespace parlowen::app {
namespace {

using win32::CreateChild;

enum Column { kName, kVoice, kMuted };

std::wstring VariantText(const speech::VoiceVariant& variant) {
    std::wstring text = variant.voice.empty() ? L"好友的声音" : win32::AnsiToWide(variant.voice);
    if (!variant.variant.empty()) text += L"（" + win32::AnsiToWide(variant.variant) + L"）";
    if (variant.pitch != 0) text += L"，音调 " + std::wstring(variant.pitch > 0 ? L"+" : L"") + std::to_wstring(variant.pitch);
    return text;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

PeoplePage::PeoplePage(HWND page, PeopleWin32& people, ReplacementsWin32& replacements,
                       speech::VoiceProfiles& profiles, speech::SpeakingRules& speaking, Hotkeys& hotkeys)
    : people_(people), words_(replacements), profiles_(profiles) {
    // Made in reading order, which Tab follows, each control right after its label, which
    // names it for screen readers.
    constexpr DWORD kListBox = ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_BORDER |
                               WS_TABSTOP;
    CreateChild(page, L"STATIC", L"我的昵称：", 0, {12, 6, 100, 16}, IdLabelNicknames);
    nicknames_ = CreateChild(page, L"EDIT", L"", kListBox, {12, 24, 100, 56}, IdNicknames);
    CreateChild(page, L"STATIC", L"替换词（原文 = 读法）：", 0, {120, 6, 169, 16}, IdLabelReplacements);
    replacements_ = CreateChild(page, L"EDIT", L"", kListBox, {120, 24, 169, 56}, IdReplacements);
    CreateChild(page, L"BUTTON", L"应用", BS_PUSHBUTTON | WS_TABSTOP, {12, 84, 60, 22}, IdApplyNicknames);
    CreateChild(page, L"BUTTON", L"应用", BS_PUSHBUTTON | WS_TABSTOP, {229, 84, 60, 22}, IdApplyReplacements);
    CreateChild(page, L"STATIC", L"群聊中见过的成员：", 0, {12, 110, 277, 16}, IdLabelMembers);
    members_ = win32::CreateReportList(page, {12, 128, 277, 80}, IdMemberList,
                                       {{L"成员", 84}, {L"声音", 146}, {L"静音", 40}});
    CreateChild(page, L"STATIC", L"声音：", 0, {12, 216, 40, 16}, IdLabelMemberVoice);
    voice_ = CreateChild(page, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, {56, 212, 233, 200},
                         IdMemberVoice);
    mute_ = win32::CreateCheckBox(page, L"静音（记入日志，不朗读）", {56, 238, 233, 18}, IdMemberMute);
    speakingRules_.emplace(page, 260, speaking);
    hotkeys_.emplace(page, 390, hotkeys);
    Refresh();
}

void PeoplePage::Refresh() {
    if (::GetFocus() != nicknames_) {
        std::wstring text;
        for (const std::string& name : people_.tick().UserNames()) text += win32::AnsiToWide(name) + L"\r\n";
        ::SetWindowTextW(nicknames_, text.c_str());
    }
    if (::GetFocus() != replacements_ && WindowText(replacements_) != words_.text())
        ::SetWindowTextW(replacements_, words_.text().c_str());
    ShowMembers();
}

void PeoplePage::ShowMembers() {
    const std::string selected = SelectedMember();
    ::SendMessageW(members_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(members_, LVM_DELETEALLITEMS, 0, 0);
    rowNames_.clear();
    for (const speech::Member& member : people_.members().members()) rowNames_.push_back(member.name);
    for (std::size_t i = 0; i < rowNames_.size(); ++i) {
        const speech::Member& member = people_.members().members()[i];
        const int row = win32::AddRow(members_, win32::AnsiToWide(member.name), static_cast<LPARAM>(i),
                                      member.name == selected);
        win32::SetCell(members_, row, kVoice, VariantText(member.variant) + (member.chosenByUser ? L"（自选）" : L""));
        win32::SetCell(members_, row, kMuted, member.muted ? L"是" : L"");
    }
    ::SendMessageW(members_, WM_SETREDRAW, TRUE, 0);
    ShowSelectedMember();
}

std::string PeoplePage::SelectedMember() const { return win32::SelectedOf(members_, rowNames_); }

std::vector<speech::VoiceVariant> PeoplePage::ListedVariants(const speech::Member* member) const {
    std::vector<speech::VoiceVariant> variants = profiles_.MemberVariants();
    if (member && std::find(variants.begin(), variants.end(), member->variant) == variants.end())
        variants.push_back(member->variant);
    return variants;
}

void PeoplePage::ShowSelectedMember() {
    const speech::Member* member = people_.members().Find(SelectedMember());
    listed_ = ListedVariants(member);
    ::SendMessageW(voice_, CB_RESETCONTENT, 0, 0);
    for (const speech::VoiceVariant& variant : listed_)
        ::SendMessageW(voice_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(VariantText(variant).c_str()));
    const auto shown = member ? std::find(listed_.begin(), listed_.end(), member->variant) : listed_.end();
    ::SendMessageW(voice_, CB_SETCURSEL, shown == listed_.end() ? -1 : shown - listed_.begin(), 0);
    win32::SetChecked(mute_, member && member->muted);
    ::EnableWindow(voice_, member != nullptr);
    ::EnableWindow(mute_, member != nullptr);
}

void PeoplePage::ApplyNicknames() {
    std::vector<std::string> names;
    const std::wstring text = WindowText(nicknames_);
    for (std::wstring_view line : text::Lines<wchar_t>(text)) {
        if (line.ends_with(L'\r')) line.remove_suffix(1);
        if (!line.empty()) names.push_back(win32::WideToAnsi(line));
    }
    people_.tick().SetUserNames(names);
    ::SetFocus(members_);  // the box then shows the names as they were kept
    Refresh();
}

void PeoplePage::ApplyReplacements() {
    ::SetFocus(members_);  // the box then shows the list as it was kept
    words_.Apply(WindowText(replacements_));
    Refresh();
}

void PeoplePage::ApplySelectedVoice() {
    const LRESULT entry = ::SendMessageW(voice_, CB_GETCURSEL, 0, 0);
    if (entry < 0 || static_cast<std::size_t>(entry) >= listed_.size()) return;
    if (people_.members().Choose(SelectedMember(), listed_[static_cast<std::size_t>(entry)])) ShowMembers();
}

void PeoplePage::ApplyMute() {
    if (people_.members().Mute(SelectedMember(), win32::IsChecked(mute_))) ShowMembers();
}

bool PeoplePage::OnCommand(unsigned id, unsigned notification) {
    switch (id) {
    case IdApplyNicknames:
        if (notification == BN_CLICKED) ApplyNicknames();
        return true;
    case IdMemberVoice:
        if (notification == CBN_SELCHANGE) ApplySelectedVoice();
        return true;
    case IdMemberMute:
        if (notification == BN_CLICKED) ApplyMute();
        return true;
    case IdApplyReplacements:
        if (notification == BN_CLICKED) ApplyReplacements();
        return true;
    case IdNicknames:
    case IdReplacements:
        return true;
    default:
        return (speakingRules_ && speakingRules_->OnCommand(id, notification)) ||
               (hotkeys_ && hotkeys_->OnCommand(id, notification));
    }
}

bool PeoplePage::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != members_) return false;
    if (win32::SelectionChanged(members_, header)) ShowSelectedMember();
    return true;
}

}  // namespace parlowen::app
