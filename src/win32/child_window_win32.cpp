#include "win32/child_window_win32.h"

#include "win32/errors_win32.h"

namespace parlowen::win32 {

HWND CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, Rect r,
                 unsigned id, DWORD exStyle) {
    HWND hwnd = ::CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, r.x,
                                  r.y, r.width, r.height, parent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                                  nullptr);
    win32::ThrowLastErrorIf(hwnd == nullptr, "CreateWindowEx");
    return hwnd;
}

HWND CreateHiddenLabel(HWND parent, const wchar_t* text, unsigned id) {
    HWND label = CreateChild(parent, L"STATIC", text, 0, {0, 0, 0, 0}, id);
    ::ShowWindow(label, SW_HIDE);
    return label;
}

HWND CreateCheckBox(HWND parent, const wchar_t* caption, Rect r, unsigned id) {
    return CreateChild(parent, L"BUTTON", caption, BS_AUTOCHECKBOX | WS_TABSTOP, r, id);
}

bool IsChecked(HWND checkBox) { return ::SendMessageW(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND checkBox, bool checked) {
    ::SendMessageW(checkBox, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace parlowen::win32
