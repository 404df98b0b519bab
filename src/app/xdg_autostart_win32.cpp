#include "app/xdg_autostart_win32.h"

#include "app/xdg_autostart.h"
#include "win32/replace_file_win32.h"
#include "win32/running_exe_win32.h"
#include "win32/text_win32.h"
#include "win32/wine_win32.h"

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace parlowen::app {
namespace {

// $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when it is unset or not absolute,
// as freedesktop.org's base-directory rules have it; as a Windows path.
std::optional<std::wstring> AutostartFolder() {
    wchar_t configHome[MAX_PATH * 2];
    const DWORD length = ::GetEnvironmentVariableW(L"XDG_CONFIG_HOME", configHome, MAX_PATH * 2);
    if (length > 0 && length < MAX_PATH * 2 && configHome[0] == L'/')
        if (const auto folder = win32::WindowsPathOf(win32::WideToUtf8(configHome))) return *folder + L"\\autostart";
    if (const auto home = win32::WineFolder(L"WINEHOMEDIR")) return *home + L"\\.config\\autostart";
    return std::nullopt;
}

}  // namespace

void ApplyXdgAutostart(bool checked) {
    if (!win32::UnderWine()) return;
    const std::optional<std::wstring> folder = AutostartFolder();
    const std::optional<std::wstring> prefix = win32::WineFolder(L"WINECONFIGDIR");
    const std::optional<std::string> exe = win32::UnixPathOf(win32::RunningExePathWide());
    const std::optional<std::string> prefixPath = prefix ? win32::UnixPathOf(*prefix) : std::nullopt;
    if (!folder || !exe || !prefixPath)
        throw std::runtime_error("Cannot find where the desktop's autostart entries go");
    const std::wstring entryPath = *folder + L"\\" + win32::Utf8ToWide(AutostartFileName(*exe));

    if (!checked) {
        ::DeleteFileW(entryPath.c_str());
        return;
    }
    const std::optional<std::string> entry = AutostartEntry({*exe, *prefixPath});
    if (!entry) throw std::runtime_error("Cannot write an autostart entry for " + *exe);
    // The folder, and the configuration folder above it, may not be there yet.
    ::CreateDirectoryW(folder->substr(0, folder->find_last_of(L'\\')).c_str(), nullptr);
    ::CreateDirectoryW(folder->c_str(), nullptr);
    win32::WriteFileReplacing(entryPath, *entry, "Cannot write " + win32::WideToUtf8(entryPath));
}

}  // namespace parlowen::app
