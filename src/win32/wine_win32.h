// What the program can learn of Wine when it runs under it: whether it does, and the
// Unix side of its paths.
#pragma once

#include <optional>
#include <string>

namespace parlowen::win32 {

// Whether the program runs under Wine, whose ntdll exports wine_get_version.
bool UnderWine();
// The Unix path (UTF-8) of a Windows path, through Wine; nothing off Wine or when the
// path has none.
std::optional<std::string> UnixPathOf(const std::wstring& windowsPath);
// The Windows path of a Unix path (UTF-8), through Wine; nothing off Wine or when the
// path has none.
std::optional<std::wstring> WindowsPathOf(const std::string& unixPath);
// A folder Wine names in the environment as "\??\<Windows path>" (WINEHOMEDIR,
// WINECONFIGDIR), as a Windows path; nothing off Wine.
std::optional<std::wstring> WineFolder(const wchar_t* variable);

}  // namespace parlowen::win32
