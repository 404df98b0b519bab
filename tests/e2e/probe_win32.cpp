// A hook library the driver places into the program's GUI thread, so that it can read
// what Wine keeps inside the program's process (menus), as a user sees it on screen.
// On the registered message "ParlowenE2EProbe" it writes a menu, with every submenu,
// into %TEMP%\parlowen-e2e-probe.txt as UTF-16 lines: with wParam 0 the window's menu
// bar, with wParam 1 the pop-up menu open on screen.
//   <depth> <S|C|-> <caption>      S separator, C checked, - plain item
#include <windows.h>

#include <string>

namespace {

void DumpMenu(HMENU menu, int depth, std::wstring& out) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
        ::GetMenuItemInfoW(menu, i, TRUE, &info);
        wchar_t caption[256] = L"";
        ::GetMenuStringW(menu, i, caption, 256, MF_BYPOSITION);
        const wchar_t kind = (info.fType & MFT_SEPARATOR) ? L'S' : (info.fState & MFS_CHECKED) ? L'C' : L'-';
        out += std::to_wstring(depth) + L" " + kind + L" " + caption + L"\n";
        if (info.hSubMenu) DumpMenu(info.hSubMenu, depth + 1, out);
    }
}

void WriteProbeFile(const std::wstring& text) {
    wchar_t folder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"parlowen-e2e-probe.txt";
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == ::RegisterWindowMessageW(L"ParlowenE2EProbe")) {
            std::wstring out;
            HMENU menu = ::GetMenu(call->hwnd);
            if (call->wParam == 1) {
                HWND popup = ::FindWindowW(L"#32768", nullptr);
                menu = popup ? reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
            }
            if (menu) DumpMenu(menu, 0, out);
            WriteProbeFile(out);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
