// A list of rows in columns (a report list view), as the option pages show the people and
// chats the program knows: each row carries a number that tells its item whatever the
// row's text, and the row selected is kept when the rows are shown anew.
#pragma once

#include "win32/child_window_win32.h"

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace parlowen::win32 {

struct ListColumn {
    const wchar_t* caption;
    int width;
};

// A list of single rows selected whole, its columns as given; throws when it cannot be made.
HWND CreateReportList(HWND parent, Rect r, unsigned id, std::initializer_list<ListColumn> columns);
// Adds a row (placed by the list's sort order) with the first column's text and `item`,
// selected when `selected`; the row.
int AddRow(HWND list, const std::wstring& text, LPARAM item, bool selected = false);
void SetCell(HWND list, int row, int column, const std::wstring& text);
// The item of the row selected; nothing when none is.
std::optional<LPARAM> SelectedItem(HWND list);
// Of rows whose items are indexes into `items`: the selected row's; an empty one when none is.
template <typename Item>
Item SelectedOf(HWND list, const std::vector<Item>& items) {
    const std::optional<LPARAM> index = SelectedItem(list);
    return index && *index >= 0 && static_cast<std::size_t>(*index) < items.size() ? items[static_cast<std::size_t>(*index)]
                                                                                   : Item{};
}
// Whether `header`, sent by `list`, says that a row became selected or unselected.
bool SelectionChanged(HWND list, const NMHDR& header);

}  // namespace parlowen::win32
