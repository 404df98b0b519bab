// What the program can learn of Wine when it runs under it: whether it does, and the
// Unix side of its paths.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace parlowen::win32 {

// Whether the program runs under Wine, whose ntdll exports wine_get_version.
bool UnderWine();
// The Unix path (UTF-8) of a Windows path, through Wine; nothing off Wine or when the
// path has none.
std::optional<std::string> UnixPathOf(const std::wstring& windowsPath);
// The Windows path of a Unix path (UTF-8), through Wine; nothing off Wine or when the
// path has none.
std::optional<std::wstring> WindowsPathOf(const std::string& unixPath);
// A folder Wine names in the environment as an NT path (WINEHOMEDIR, WINECONFIGDIR), as
// a Windows path; nothing off Wine.
std::optional<std::wstring> WineFolder(const wchar_t* variable);
// The Windows path of an NT path "\??\…": "C:\…", "\\server\…", or "\\?\unix\…" for a
// Unix folder that no drive maps. Any other text is given back as it is.
std::wstring DosPathOfNtPath(std::wstring_view path);

}  // namespace parlowen::win32
