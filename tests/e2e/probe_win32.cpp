// A hook library the driver places into the program's GUI thread, so that it can read
// what Wine keeps inside the program's process (menus), as a user sees it on screen.
// On the registered message "ParlowenE2EProbe" it writes a menu, with every submenu,
// into %TEMP%\parlowen-e2e-probe.txt as UTF-16 lines: with wParam 0 the window's menu
// bar, with wParam 1 the pop-up menu open on screen. With wParam 2 it writes the log
// pane instead: "sel <start> <end>", then one line per run of one colour,
// "<rrggbb> <text>" (the text with CR written as \r; "auto" for the automatic colour),
// read through the text object model so that the selection is left alone.
//   <depth> <S|C|-> <caption>      S separator, C checked, - plain item
#include "probe_protocol.h"

#include <atomic>
#include <windows.h>
#include <richedit.h>
#include <richole.h>
#include <tom.h>
#include <psapi.h>

#include <cstdio>
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

// {8CC497C0-A1DF-11CE-8098-00AA0047BE5D}
const IID kTextDocumentId = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};

// EnumChildWindows callbacks are stdcall on 32-bit Windows, which a lambda cannot be.
BOOL CALLBACK KeepRichEdit(HWND child, LPARAM result) {
    char name[32] = "";
    ::GetClassNameA(child, name, sizeof name);
    if (lstrcmpA(name, "RichEdit20A") != 0) return TRUE;
    *reinterpret_cast<HWND*>(result) = child;
    return FALSE;
}

HWND FindRichEdit(HWND window) {
    HWND found = nullptr;
    ::EnumChildWindows(window, &KeepRichEdit, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring ColourName(long colour) {
    if (colour == tomAutoColor) return L"auto";
    wchar_t text[8];
    std::swprintf(text, 8, L"%02x%02x%02x", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

void DumpLog(HWND window, std::wstring& out) {
    HWND edit = FindRichEdit(window);
    if (!edit) return;
    CHARRANGE selection{};
    ::SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    out += L"sel " + std::to_wstring(selection.cpMin) + L" " + std::to_wstring(selection.cpMax) + L"\n";

    IRichEditOle* ole = nullptr;
    ::SendMessageW(edit, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
    if (!ole) return;
    ITextDocument* document = nullptr;
    ole->QueryInterface(kTextDocumentId, reinterpret_cast<void**>(&document));
    ole->Release();
    if (!document) return;
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const long count = static_cast<long>(::SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    std::wstring runColour, runText;
    for (long i = 0; i <= count; ++i) {
        std::wstring colour, text;
        ITextRange* range = nullptr;
        if (i < count && SUCCEEDED(document->Range(i, i + 1, &range)) && range) {
            ITextFont* font = nullptr;
            long value = 0;
            if (SUCCEEDED(range->GetFont(&font)) && font) {
                font->GetForeColor(&value);
                font->Release();
            }
            BSTR characters = nullptr;
            range->GetText(&characters);
            colour = ColourName(value);
            text = characters ? characters : L"";
            ::SysFreeString(characters);
            range->Release();
        }
        if (i == count || colour != runColour) {
            if (!runText.empty()) out += runColour + L" " + runText + L"\n";
            runColour = colour;
            runText.clear();
        }
        for (wchar_t c : text) runText += c == L'\r' ? std::wstring(L"\\r") : std::wstring(1, c);
    }
    document->Release();
}

// What the program holds, as seen from inside it: "<private bytes> <handles> <GDI> <USER>".
void DumpResources(std::wstring& out) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    DWORD handles = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
    out = std::to_wstring(memory.PrivateUsage) + L" " + std::to_wstring(handles) + L" " +
          std::to_wstring(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) + L" " +
          std::to_wstring(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)) + L"\n";
}

void WriteProbeFile(const std::wstring& text) {
    HANDLE file = ::CreateFileW(e2e::probe::AnswerPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

// Inside the program: what its window has taken off the queue while the counting hook
// was in place.
std::atomic<long> g_readsTaken{0}, g_captureTicks{0}, g_trackingTicks{0};

namespace {

// When the latest capture ticks and reads were taken off the queue, for measuring what
// follows a tick. Only the program's GUI thread touches them: the hook and the answer
// both run there.
class RecentTimes {
public:
    void Add() {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        times_[added_++ % kKept] = now.QuadPart;
    }
    void Write(const wchar_t* name, std::wstring& out) const {
        for (size_t i = added_ > kKept ? added_ - kKept : 0; i < added_; ++i)
            out += std::wstring(name) + L" " + std::to_wstring(times_[i % kKept]) + L"\n";
    }

private:
    static constexpr size_t kKept = 32;
    long long times_[kKept] = {};
    size_t added_ = 0;
};

RecentTimes g_captureTickTimes, g_readTimes;

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeGetMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG& message = *reinterpret_cast<const MSG*>(lParam);
        if (message.message == e2e::probe::kHistoryReadMessage) {
            ++g_readsTaken;
            g_readTimes.Add();
        }
        if (message.message == WM_TIMER && message.wParam == e2e::probe::kCaptureTimer) {
            ++g_captureTicks;
            g_captureTickTimes.Add();
        }
        if (message.message == WM_TIMER && message.wParam == e2e::probe::kTrackingTimer) ++g_trackingTicks;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == ::RegisterWindowMessageW(e2e::probe::kMessageName)) {
            std::wstring out;
            HMENU menu = ::GetMenu(call->hwnd);
            if (call->wParam == e2e::probe::kLog) {
                menu = nullptr;
                DumpLog(call->hwnd, out);
            } else if (call->wParam == e2e::probe::kResources) {
                menu = nullptr;
                DumpResources(out);
            } else if (call->wParam == e2e::probe::kTicks) {
                menu = nullptr;
                out = std::to_wstring(g_readsTaken.load()) + L" " + std::to_wstring(g_captureTicks.load()) + L" " +
                      std::to_wstring(g_trackingTicks.load());
            } else if (call->wParam == e2e::probe::kTickTimes) {
                menu = nullptr;
                g_captureTickTimes.Write(L"tick", out);
                g_readTimes.Write(L"read", out);
            } else if (call->wParam == e2e::probe::kFocusLog) {
                menu = nullptr;
                if (HWND edit = FindRichEdit(call->hwnd)) ::SetFocus(edit);
            } else if (call->wParam == e2e::probe::kOpenPopup) {
                HWND popup = ::FindWindowW(L"#32768", nullptr);
                menu = popup ? reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
            }
            if (menu) DumpMenu(menu, 0, out);
            WriteProbeFile(out);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
