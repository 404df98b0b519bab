// Helpers every end-to-end program shares: text for messages, and waiting while this
// thread's windows keep answering.
#include "e2e.h"

#include "win32/text_win32.h"

#include <cstdio>
#include <string_view>

namespace e2e {

std::string Utf8(const std::wstring& text) { return parlowen::win32::WideToUtf8(text); }

std::string Describe(const std::wstring& text) { return "\"" + Utf8(text) + "\""; }

std::string Describe(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

std::string Describe(long long value) { return std::to_string(value); }

std::string Wine32Missing() {
    wchar_t value[512] = L"";
    if (::GetEnvironmentVariableW(L"PARLOWEN_WINE32", value, 512) == 0 || std::wstring_view(value) != L"no") return "";
    value[0] = 0;
    ::GetEnvironmentVariableW(L"PARLOWEN_WINE32_WHY", value, 512);
    return "this machine runs no 32-bit program" + (value[0] ? ": " + Utf8(value) : std::string());
}

void PrintFigure(const char* what, double value, const char* unit) {
    std::printf("    measured: %s %.3f %s\n", what, value, unit);
    std::fflush(stdout);
}

void Pump(DWORD ms) {
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (::GetTickCount() - start < ms);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start >= timeoutMs) return condition();
        Pump(20);
    }
    return true;
}

}  // namespace e2e
