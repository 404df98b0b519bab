#include "win32/wine_win32.h"

#include <windows.h>

#include <string_view>

namespace parlowen::win32 {
namespace {

// Wine's own exports are looked up, never imported: on Windows they do not exist.
template <typename Function>
Function WineExport(const wchar_t* module, const char* name) {
    HMODULE loaded = ::GetModuleHandleW(module);
    return loaded ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(loaded, name))) : nullptr;
}

// Both conversions hand back text allocated on the process heap.
template <typename Char>
struct HeapText {
    Char* text;
    ~HeapText() {
        if (text) ::HeapFree(::GetProcessHeap(), 0, text);
    }
};

}  // namespace

bool UnderWine() { return WineExport<const char*(CDECL*)()>(L"ntdll.dll", "wine_get_version") != nullptr; }

std::optional<std::string> UnixPathOf(const std::wstring& windowsPath) {
    const auto convert = WineExport<char*(CDECL*)(const wchar_t*)>(L"kernel32.dll", "wine_get_unix_file_name");
    if (!convert) return std::nullopt;
    const HeapText<char> unixPath{convert(windowsPath.c_str())};
    if (!unixPath.text) return std::nullopt;
    return std::string(unixPath.text);
}

std::optional<std::wstring> WindowsPathOf(const std::string& unixPath) {
    const auto convert = WineExport<wchar_t*(CDECL*)(const char*)>(L"kernel32.dll", "wine_get_dos_file_name");
    if (!convert) return std::nullopt;
    const HeapText<wchar_t> windowsPath{convert(unixPath.c_str())};
    if (!windowsPath.text) return std::nullopt;
    return std::wstring(windowsPath.text);
}

std::optional<std::wstring> WineFolder(const wchar_t* variable) {
    if (!UnderWine()) return std::nullopt;
    wchar_t value[MAX_PATH * 2];
    const DWORD length = ::GetEnvironmentVariableW(variable, value, static_cast<DWORD>(std::size(value)));
    if (length == 0 || length >= std::size(value)) return std::nullopt;
    std::wstring_view folder(value, length);
    if (folder.starts_with(L"\\??\\")) folder.remove_prefix(4);
    return std::wstring(folder);
}

}  // namespace parlowen::win32
