// Creating the main window's child controls at their design positions.
#pragma once

#include <windows.h>

namespace parlowen::win32 {

struct Rect {
    int x, y, width, height;
};

// `r` taken relative to `group`'s top-left corner.
constexpr Rect Offset(Rect r, Rect group) { return {group.x + r.x, group.y + r.y, r.width, r.height}; }

// A visible child control with the given id; throws when it cannot be created.
HWND CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, Rect r,
                 unsigned id, DWORD exStyle = 0);

// A label that is never shown. Screen readers name a control that has no caption of its
// own (an edit or combo box, a slider, a list) after the label created just before it.
HWND CreateHiddenLabel(HWND parent, const wchar_t* text, unsigned id);

// A check box that checks itself when clicked, and its state.
HWND CreateCheckBox(HWND parent, const wchar_t* caption, Rect r, unsigned id);
bool IsChecked(HWND checkBox);
void SetChecked(HWND checkBox, bool checked);

}  // namespace parlowen::win32
