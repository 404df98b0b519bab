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

}  // namespace parlowen::win32
