// Text in the system ANSI code page, or UTF-8, to and from UTF-16 as the W functions
// and COM take it.
#pragma once

#include "win32/com_win32.h"

#include <string>
#include <string_view>

namespace parlowen::win32 {

std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
UniqueBstr AnsiToBstr(std::string_view ansi);

}  // namespace parlowen::win32
