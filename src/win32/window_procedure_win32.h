// One window procedure for every window that is a C++ object: the object comes with
// CreateWindowEx's lpCreateParams, and each message goes to its HandleMessage. No
// exception unwinds into the system: what escapes a handler goes to OnEscapedException,
// the rest of that handler is skipped, and the window carries on.
#pragma once

#include <windows.h>

namespace parlowen::win32 {

// T has: void Attach(HWND), LRESULT HandleMessage(UINT, WPARAM, LPARAM),
// void OnEscapedException() noexcept.
template <typename T>
LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->Attach(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        self->OnEscapedException();
        return 0;
    }
}

// Pumps this thread's messages until WM_QUIT, with dialog keys (Tab, Enter) for `window`;
// `translateKeys` sees each message first and answers whether it took it.
template <typename TranslateKeys = bool (*)(const MSG&)>
int RunMessageLoop(HWND window, TranslateKeys translateKeys = [](const MSG&) { return false; }) {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (translateKeys(msg) || ::IsDialogMessageW(window, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace parlowen::win32
