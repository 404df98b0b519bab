#include "win32/text_win32.h"

#include <windows.h>

#include <new>

namespace parlowen::win32 {
namespace {

std::wstring ToWide(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string FromWide(std::wstring_view wide, UINT codePage) {
    if (wide.empty()) return {};
    const int length = ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                             nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                          nullptr);
    return text;
}

}  // namespace

std::wstring AnsiToWide(std::string_view ansi) { return ToWide(ansi, CP_ACP); }
std::string WideToAnsi(std::wstring_view wide) { return FromWide(wide, CP_ACP); }
std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(utf8, CP_UTF8); }
std::string WideToUtf8(std::wstring_view wide) { return FromWide(wide, CP_UTF8); }

UniqueBstr AnsiToBstr(std::string_view ansi) {
    const std::wstring wide = AnsiToWide(ansi);
    UniqueBstr text(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    if (!text.get()) throw std::bad_alloc();
    return text;
}

}  // namespace parlowen::win32
