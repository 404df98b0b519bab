#include "app/handles_win32.h"

#include <new>

namespace parlowen::win32 {

std::string SystemMessage(DWORD code) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (buffer) {
        text.assign(buffer, length);
        ::LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    if (text.empty()) {
        char fallback[32];
        wsprintfA(fallback, "Error 0x%08lX", static_cast<unsigned long>(code));
        text = fallback;
    }
    return text;
}

std::wstring AnsiToWide(std::string_view ansi) {
    if (ansi.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
    return wide;
}

std::string WideToAnsi(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                             nullptr, nullptr);
    std::string ansi(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), length, nullptr,
                          nullptr);
    return ansi;
}

UniqueBstr AnsiToBstr(std::string_view ansi) {
    const std::wstring wide = AnsiToWide(ansi);
    UniqueBstr text(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    if (!text.get()) throw std::bad_alloc();
    return text;
}

PlatformError::PlatformError(const std::string& what, long code)
    : std::runtime_error(what), code_(code) {}

void ThrowIfFailed(HRESULT hr, const char* operation) {
    if (FAILED(hr))
        throw PlatformError(std::string(operation) + ": " + SystemMessage(static_cast<DWORD>(hr)), hr);
}

void ThrowLastErrorIf(bool failed, const char* operation) {
    if (!failed) return;
    const DWORD code = ::GetLastError();
    throw PlatformError(std::string(operation) + ": " + SystemMessage(code), static_cast<long>(code));
}

}  // namespace parlowen::win32
