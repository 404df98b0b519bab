#include "capture/chat_windows_win32.h"

#include "win32/text_win32.h"

#include <string>
#include <vector>

namespace parlowen::capture {
namespace {

constexpr int kTitleBufferSize = 255;

// EnumWindows: every top-level window, into the vector `found` points to; nothing escapes.
BOOL CALLBACK Collect(HWND window, LPARAM found) {
    try {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

}  // namespace

TitledWindow ChatWindowsWin32::Foreground() {
    HWND foreground = ::GetForegroundWindow();
    if (foreground == nullptr) return {};
    const auto handle = reinterpret_cast<std::uintptr_t>(foreground);
    return {handle, Title(handle)};
}

std::vector<std::uintptr_t> ChatWindowsWin32::TopLevelWindows() {
    std::vector<HWND> handles;
    ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&handles));
    std::vector<std::uintptr_t> windows;
    for (HWND window : handles) windows.push_back(reinterpret_cast<std::uintptr_t>(window));
    return windows;
}

std::string ChatWindowsWin32::Title(std::uintptr_t handle) {
    char title[kTitleBufferSize] = {};
    ::GetWindowTextA(reinterpret_cast<HWND>(handle), title, kTitleBufferSize);
    return title;
}

// A top-level window is shown when its own style says so (its parent, the desktop,
// always is), which asks the system less than IsWindowVisible, made for child windows.
bool ChatWindowsWin32::Shown(std::uintptr_t handle) {
    return (::GetWindowLongPtrW(reinterpret_cast<HWND>(handle), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string ChatWindowsWin32::UnicodeToAnsi(std::u16string_view text) {
    return win32::WideToAnsi(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

std::u16string ChatWindowsWin32::AnsiToUnicode(std::string_view text) {
    const std::wstring wide = win32::AnsiToWide(text);  // wchar_t is UTF-16 on Windows
    return std::u16string(wide.begin(), wide.end());
}

}  // namespace parlowen::capture
