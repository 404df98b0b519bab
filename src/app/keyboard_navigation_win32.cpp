#include "app/keyboard_navigation_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace parlowen::app {
namespace {

// Shown (its page may not be) and enabled.
bool CanTakeKeyboard(HWND control) {
    const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
    return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

bool IsTabStop(HWND control) { return CanTakeKeyboard(control) && (::GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP); }

bool IsClass(HWND control, const wchar_t* windowClass) {
    wchar_t name[32] = L"";
    ::GetClassNameW(control, name, 32);
    return ::lstrcmpiW(name, windowClass) == 0;
}

bool IsSingleLineEdit(HWND control) {
    return IsClass(control, L"Edit") && !(::GetWindowLongPtrW(control, GWL_STYLE) & ES_MULTILINE);
}

bool IsPushButton(HWND control) {
    const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return IsClass(control, L"Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

bool KeyDown(int key) { return ::GetKeyState(key) < 0; }

}  // namespace

KeyboardNavigation::KeyboardNavigation(HWND window, HWND notebook, std::vector<HWND> pages,
                                       std::function<void(int)> showPage)
    : window_(window), notebook_(notebook), pages_(std::move(pages)), showPage_(std::move(showPage)) {}

// Tab is taken before the control with the keyboard sees it: the log and the multi-line
// boxes ask for every key and would type it. Alt combinations stay the menu's.
bool KeyboardNavigation::Translate(const MSG& message) {
    if (message.message != WM_KEYDOWN || KeyDown(VK_MENU)) return false;
    if (message.hwnd != window_ && !::IsChild(window_, message.hwnd)) return false;
    const bool control = KeyDown(VK_CONTROL);
    switch (message.wParam) {
    case VK_TAB:
        if (control)
            TurnPage(KeyDown(VK_SHIFT) ? -1 : 1);
        else
            Tab(KeyDown(VK_SHIFT));
        return true;
    case VK_NEXT:
    case VK_PRIOR:
        if (!control) return false;
        TurnPage(message.wParam == VK_NEXT ? 1 : -1);
        return true;
    case VK_RETURN:
        // The window is no dialog with a default button: Enter presses the button in focus.
        if (control || !IsPushButton(message.hwnd)) return false;
        ::SendMessageW(message.hwnd, BM_CLICK, 0, 0);
        return true;
    default:
        return false;
    }
}

void KeyboardNavigation::OnActivate(WPARAM state) {
    if (LOWORD(state) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(window_, focus)) remembered_ = focus;
    } else if (!HIWORD(state)) {  // not while minimised, when no control can be seen
        ::SetFocus(FocusTarget());
    }
}

void KeyboardNavigation::PassFocusOn() {
    if (::GetFocus() == window_ && !::IsIconic(window_)) ::SetFocus(FocusTarget());
}

void KeyboardNavigation::Reopened() {
    if (ShownPage() == 0) remembered_ = nullptr;  // the log is what the user comes back to read
    if (::GetActiveWindow() == window_ && !::IsIconic(window_)) ::SetFocus(FocusTarget());
}

void KeyboardNavigation::PageShown() {
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(window_, focus) && !::IsWindowVisible(focus)) ::SetFocus(FocusTarget());
}

int KeyboardNavigation::ShownPage() const {
    const auto shown = static_cast<int>(::SendMessageW(notebook_, TCM_GETCURSEL, 0, 0));
    return shown >= 0 && shown < static_cast<int>(pages_.size()) ? shown : 0;
}

std::vector<HWND> KeyboardNavigation::TabStops() const {
    std::vector<HWND> stops{notebook_};
    for (HWND child = ::GetWindow(pages_[ShownPage()], GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (IsTabStop(child)) stops.push_back(child);
    return stops;
}

// The control that had the keyboard last, while it is on the page shown and can take it;
// otherwise the page's first control.
HWND KeyboardNavigation::FocusTarget() const {
    HWND control = remembered_;
    if (control && ::IsWindow(control) && (control == notebook_ || ::IsChild(pages_[ShownPage()], control)) &&
        CanTakeKeyboard(control))
        return control;
    const std::vector<HWND> stops = TabStops();
    return stops.size() > 1 ? stops[1] : notebook_;
}

void KeyboardNavigation::Focus(HWND control) {
    ::SetFocus(control);
    // The keyboard is in use: controls show the focus from now on.
    ::SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    // As in a dialog, a one-line box tabbed into has its text selected, to be typed over.
    if (IsSingleLineEdit(control)) ::SendMessageW(control, EM_SETSEL, 0, -1);
}

void KeyboardNavigation::Tab(bool backwards) {
    const std::vector<HWND> stops = TabStops();
    HWND focus = ::GetFocus();
    auto at = std::find(stops.begin(), stops.end(), focus);
    // A combo box's keyboard is in its own edit box; the page tabs hold every page.
    if (at == stops.end())
        at = std::find_if(stops.begin() + 1, stops.end(), [&](HWND stop) { return ::IsChild(stop, focus); });
    const std::size_t count = stops.size();
    std::size_t next = backwards ? count - 1 : 0;  // from nowhere: the first or the last
    if (at != stops.end()) next = (static_cast<std::size_t>(at - stops.begin()) + (backwards ? count - 1 : 1)) % count;
    Focus(stops[next]);
}

void KeyboardNavigation::TurnPage(int step) {
    const int count = static_cast<int>(pages_.size());
    showPage_((ShownPage() + step + count) % count);
    remembered_ = nullptr;
    Focus(FocusTarget());
}

}  // namespace parlowen::app
