#include "win32/errors_win32.h"

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
