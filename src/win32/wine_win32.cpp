#include "win32/wine_win32.h"

#include <windows.h>

#include <memory>
#include <string_view>

namespace parlowen::win32 {
namespace {

// Wine's own exports are looked up, never imported: on Windows they do not exist.
template <typename Function>
Function WineExport(const wchar_t* module, const char* name) {
    HMODULE loaded = ::GetModuleHandleW(module);
    return loaded ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(loaded, name))) : nullptr;
}

struct ProcessHeapFree {
    void operator()(void* block) const noexcept { ::HeapFree(::GetProcessHeap(), 0, block); }
};

// One of Wine's path conversions, which hand back text allocated on the process heap.
template <typename To, typename From>
std::optional<std::basic_string<To>> Converted(const char* conversion, const From* path) {
    const auto convert = WineExport<To*(CDECL*)(const From*)>(L"kernel32.dll", conversion);
    if (!convert) return std::nullopt;
    const std::unique_ptr<To, ProcessHeapFree> converted(convert(path));
    if (!converted) return std::nullopt;
    return std::basic_string<To>(converted.get());
}

}  // namespace

bool UnderWine() { return WineExport<const char*(CDECL*)()>(L"ntdll.dll", "wine_get_version") != nullptr; }

std::optional<std::string> UnixPathOf(const std::wstring& windowsPath) {
    return Converted<char>("wine_get_unix_file_name", windowsPath.c_str());
}

std::optional<std::wstring> WindowsPathOf(const std::string& unixPath) {
    return Converted<wchar_t>("wine_get_dos_file_name", unixPath.c_str());
}

std::optional<std::wstring> WineFolder(const wchar_t* variable) {
    if (!UnderWine()) return std::nullopt;
    wchar_t value[MAX_PATH * 2];
    const DWORD length = ::GetEnvironmentVariableW(variable, value, static_cast<DWORD>(std::size(value)));
    if (length == 0 || length >= std::size(value)) return std::nullopt;
    return DosPathOfNtPath(std::wstring_view(value, length));
}

std::wstring DosPathOfNtPath(std::wstring_view path) {
    constexpr std::wstring_view kNtPrefix = L"\\??\\";
    if (!path.starts_with(kNtPrefix)) return std::wstring(path);
    const std::wstring_view rest = path.substr(kNtPrefix.size());
    // "\??\C:\x" is the drive path; "\??\UNC\server\share" a network one.
    if (rest.size() >= 2 && rest[1] == L':') return std::wstring(rest);
    if (rest.starts_with(L"UNC\\")) return L"\\\\" + std::wstring(rest.substr(4));
    // Anything else, Wine's "\??\unix\home\moon" for a folder no drive maps (a prefix
    // without Z:) among them, is reached through the same object as "\\?\".
    return L"\\\\?\\" + std::wstring(rest);
}

}  // namespace parlowen::win32
