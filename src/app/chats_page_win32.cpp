#include "app/chats_page_win32.h"

#include "app/control_ids.h"
#include "win32/child_window_win32.h"
#include "win32/list_view_win32.h"
#include "win32/text_win32.h"

#include <optional>

namespace parlowen::app {
namespace {

using capture::ChatMode;
using win32::CreateChild;

// What the mode box lists, in ChatMode's order, and the list's short words for them.
constexpr const wchar_t* kModeNames[] = {L"全部朗读", L"只读提到我的", L"静音（记入日志，不朗读）"};
constexpr const wchar_t* kModeWords[] = {L"全部朗读", L"只读提到我的", L"静音"};

}  // namespace

ChatsPage::ChatsPage(HWND page, capture::ReadingOptions& reading, capture::ChatModes& chats)
    : reading_(reading), modes_(chats) {
    // Made in reading order, which Tab follows, each control right after its label, which
    // names it for screen readers.
    everyChat_ = win32::CreateCheckBox(page, L"读所有打开的聊天窗口，不只是最前面的", {12, 6, 277, 17}, IdEveryChat);
    CreateChild(page, L"STATIC", L"见过的聊天：", 0, {12, 30, 277, 16}, IdLabelChats);
    chats_ = win32::CreateReportList(page, {12, 48, 277, 320}, IdChatList, {{L"聊天", 170}, {L"朗读", 100}});
    CreateChild(page, L"STATIC", L"朗读：", 0, {12, 380, 40, 16}, IdLabelChatMode);
    mode_ = CreateChild(page, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, {56, 376, 233, 200},
                        IdChatMode);
    for (const wchar_t* name : kModeNames) ::SendMessageW(mode_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    Refresh();
}

void ChatsPage::Refresh() {
    win32::SetChecked(everyChat_, reading_.everyChat);
    const std::string selected = SelectedChat();
    ::SendMessageW(chats_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(chats_, LVM_DELETEALLITEMS, 0, 0);
    rowNames_.clear();
    for (const capture::ChatEntry& chat : modes_.chats()) {
        const int row = win32::AddRow(chats_, win32::AnsiToWide(chat.name), static_cast<LPARAM>(rowNames_.size()),
                                      chat.name == selected);
        win32::SetCell(chats_, row, 1, kModeWords[static_cast<int>(chat.mode)]);
        rowNames_.push_back(chat.name);
    }
    ::SendMessageW(chats_, WM_SETREDRAW, TRUE, 0);
    ShowSelectedChat();
}

std::string ChatsPage::SelectedChat() const { return win32::SelectedOf(chats_, rowNames_); }

void ChatsPage::ShowSelectedChat() {
    const std::string chat = SelectedChat();
    ::SendMessageW(mode_, CB_SETCURSEL, chat.empty() ? -1 : static_cast<int>(modes_.ModeOf(chat)), 0);
    ::EnableWindow(mode_, !chat.empty());
}

bool ChatsPage::OnCommand(unsigned id, unsigned notification) {
    switch (id) {
    case IdEveryChat:
        if (notification == BN_CLICKED) reading_.everyChat = win32::IsChecked(everyChat_);
        return true;
    case IdChatMode: {
        const LRESULT entry = ::SendMessageW(mode_, CB_GETCURSEL, 0, 0);
        if (notification == CBN_SELCHANGE && entry >= 0 && entry < 3 &&
            modes_.Set(SelectedChat(), static_cast<ChatMode>(entry)))
            Refresh();
        return true;
    }
    default:
        return false;
    }
}

bool ChatsPage::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != chats_) return false;
    if (win32::SelectionChanged(chats_, header)) ShowSelectedChat();
    return true;
}

}  // namespace parlowen::app
