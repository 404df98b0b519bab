// Where platform failures become exceptions, with the platform's own message.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace parlowen::win32 {

// The platform's own text for an error code, in the ANSI code page, without the
// trailing line break that FormatMessage adds.
std::string SystemMessage(DWORD code);

// A failed platform call; what() is ANSI text, as the error report shows it.
class PlatformError : public std::runtime_error {
public:
    PlatformError(const std::string& what, long code);
    long code() const noexcept { return code_; }

private:
    long code_;
};

// Throws PlatformError for a failing HRESULT: "operation: the platform's message".
void ThrowIfFailed(HRESULT hr, const char* operation);

// Throws PlatformError carrying GetLastError() when `failed` is true.
void ThrowLastErrorIf(bool failed, const char* operation);

}  // namespace parlowen::win32
