#include "win32/list_view_win32.h"

#include <commctrl.h>

#include <climits>

namespace parlowen::win32 {

HWND CreateReportList(HWND parent, Rect r, unsigned id, std::initializer_list<ListColumn> columns) {
    HWND list = CreateChild(parent, WC_LISTVIEWW, L"",
                            LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING | WS_BORDER | WS_TABSTOP,
                            r, id);
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    int index = 0;
    for (const ListColumn& column : columns) {
        LVCOLUMNW entry{};
        entry.mask = LVCF_TEXT | LVCF_WIDTH;
        entry.pszText = const_cast<wchar_t*>(column.caption);
        entry.cx = column.width;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&entry));
    }
    return list;
}

int AddRow(HWND list, const std::wstring& text, LPARAM item, bool selected) {
    LVITEMW row{};
    row.mask = LVIF_TEXT | LVIF_PARAM;
    row.iItem = INT_MAX;
    row.pszText = const_cast<wchar_t*>(text.c_str());
    row.lParam = item;
    const int index = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
    if (selected) {
        LVITEMW state{};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
    }
    return index;
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

std::optional<LPARAM> SelectedItem(HWND list) {
    const int row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) return std::nullopt;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

bool SelectionChanged(HWND list, const NMHDR& header) {
    if (header.hwndFrom != list || header.code != LVN_ITEMCHANGED) return false;
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    return (change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED);
}

}  // namespace parlowen::win32
