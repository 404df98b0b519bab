#include "log/log_control_win32.h"

#include "win32/errors_win32.h"

#include <richedit.h>

namespace parlowen::log {
namespace {

// The style is always set in full: a rich edit drops WS_VSCROLL from its own style while
// its text fits, so a copy of a short log's style would never show a scroll bar.
constexpr DWORD kLogStyle = WS_CHILD | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
// The default limit of a rich edit is 32 KB of text; the log has none of its own.
constexpr LPARAM kNoLimit = 0x7FFFFFFE;

HWND MakeLogControl(HWND parent, const RECT& bounds, int id, HFONT font, DWORD visibility) {
    HWND control = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, "RichEdit20A", "", kLogStyle | visibility, bounds.left, bounds.top,
        bounds.right - bounds.left, bounds.bottom - bounds.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    win32::ThrowLastErrorIf(control == nullptr, "CreateWindowEx RichEdit20A");
    ::SendMessageW(control, EM_EXLIMITTEXT, 0, kNoLimit);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

}  // namespace

HWND CreateLogControl(HWND parent, const RECT& bounds, int id, HFONT font) {
    return MakeLogControl(parent, bounds, id, font, WS_VISIBLE);
}

win32::UniqueWindow NewControlLike(HWND model, HFONT font) {
    HWND parent = ::GetParent(model);
    RECT bounds;
    ::GetWindowRect(model, &bounds);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&bounds), 2);
    return win32::UniqueWindow(
        MakeLogControl(parent, bounds, static_cast<int>(::GetWindowLongPtrW(model, GWLP_ID)), font, 0));
}

HWND PutInPlace(win32::UniqueWindow fresh, HWND old) noexcept {
    const bool hadFocus = ::GetFocus() == old;
    const bool shown = (::GetWindowLongPtrW(old, GWL_STYLE) & WS_VISIBLE) != 0;
    HWND control = fresh.release();
    ::SetWindowPos(control, old, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : 0));
    if (hadFocus) ::SetFocus(control);
    ::DestroyWindow(old);
    return control;
}

}  // namespace parlowen::log
