#include "app/xdg_autostart_win32.h"

#include "app/xdg_autostart.h"
#include "win32/handles_win32.h"
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

// Where the uninstaller finds the entry a program wrote: one value per program path.
constexpr wchar_t kEntriesKey[] = L"Software\\Parlowen\\Autostart";

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

// The Wine loader running this prefix, which Wine names in the environment as a Unix path.
std::string WineLoader() {
    wchar_t loader[MAX_PATH * 2];
    const DWORD length = ::GetEnvironmentVariableW(L"WINELOADER", loader, MAX_PATH * 2);
    return length > 0 && length < MAX_PATH * 2 && loader[0] == L'/' ? win32::WideToUtf8(loader) : std::string();
}

// The whole of a small file, or "" when it cannot be read.
std::string SmallFileBytes(const std::wstring& path) {
    const win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes(64 * 1024, '\0');
    DWORD read = 0;
    if (!file || !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return {};
    bytes.resize(read);
    return bytes;
}

// This program's entry in this prefix.
struct Autostart {
    std::wstring folder;
    AutostartPlaces places;
    std::wstring exeWindowsPath;

    std::wstring EntryPath() const { return folder + L"\\" + win32::Utf8ToWide(AutostartFileName(places)); }

    // An entry an earlier version wrote for this program and prefix goes: this one replaces it.
    void RemoveLegacyEntry() const {
        const std::wstring legacy = folder + L"\\" + win32::Utf8ToWide(LegacyAutostartFileName(places.exePath));
        if (IsLegacyEntryOf(SmallFileBytes(legacy), places)) ::DeleteFileW(legacy.c_str());
    }

    // The record is a courtesy to the uninstaller: the entry works without it.
    void Record(bool written) const {
        HKEY opened = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kEntriesKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                              nullptr) != ERROR_SUCCESS)
            return;
        const win32::UniqueKey key(opened);
        const std::wstring entry = EntryPath();
        if (written)
            ::RegSetValueExW(key.get(), exeWindowsPath.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.c_str()),
                             static_cast<DWORD>((entry.size() + 1) * sizeof(wchar_t)));
        else
            ::RegDeleteValueW(key.get(), exeWindowsPath.c_str());
    }

    void Write() const {
        const std::optional<std::string> entry = AutostartEntry(places);
        if (!entry) throw std::runtime_error("Cannot write an autostart entry for " + places.exePath);
        // The folder, and the configuration folder above it, may not be there yet.
        ::CreateDirectoryW(folder.substr(0, folder.find_last_of(L'\\')).c_str(), nullptr);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        win32::WriteFileReplacing(EntryPath(), *entry, "Cannot write " + win32::WideToUtf8(EntryPath()));
        Record(true);
        RemoveLegacyEntry();
    }

    void Remove() const {
        ::DeleteFileW(EntryPath().c_str());
        RemoveLegacyEntry();
        Record(false);
    }
};

// Nothing off Wine; throws when Wine does not tell where the entry goes.
std::optional<Autostart> FindAutostart() {
    if (!win32::UnderWine()) return std::nullopt;
    const std::optional<std::wstring> folder = AutostartFolder();
    const std::optional<std::wstring> prefix = win32::WineFolder(L"WINECONFIGDIR");
    const std::wstring exeWindowsPath = win32::RunningExePathWide();
    const std::optional<std::string> exe = win32::UnixPathOf(exeWindowsPath);
    const std::optional<std::string> prefixPath = prefix ? win32::UnixPathOf(*prefix) : std::nullopt;
    if (!folder || !exe || !prefixPath)
        throw std::runtime_error("Cannot find where the desktop's autostart entries go");
    return Autostart{*folder, {*exe, *prefixPath, WineLoader()}, exeWindowsPath};
}

}  // namespace

void ApplyXdgAutostart(bool checked) {
    const std::optional<Autostart> autostart = FindAutostart();
    if (!autostart) return;
    if (checked)
        autostart->Write();
    else
        autostart->Remove();
}

void RestoreXdgAutostart() noexcept {
    try {
        const std::optional<Autostart> autostart = FindAutostart();
        if (autostart && ::GetFileAttributesW(autostart->EntryPath().c_str()) == INVALID_FILE_ATTRIBUTES)
            autostart->Write();
    } catch (...) {
    }
}

}  // namespace parlowen::app
