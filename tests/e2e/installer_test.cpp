// The installer as a Windows user runs it: silently installed, the installed program
// started, silently uninstalled; the user's settings stay.
#include "e2e.h"
#include "files_win32.h"
#include "program_win32.h"
#include "registry_win32.h"

#include <shlobj.h>

namespace {

using namespace e2e;

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Parlowen";

std::wstring KnownFolder(int csidl) {
    wchar_t folder[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, csidl, nullptr, 0, folder);
    return folder;
}

bool IsEmptyFolder(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    int entries = 0;
    do ++entries;
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return entries == 2 && (::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);  // "." and ".."
}

E2E_TEST(InstallerPutsTheProgramInPlaceAndTheUninstallerTakesItAway) {
    // The installer is a 32-bit program, built beside the 32-bit program it installs.
    if (sizeof(void*) == 8) Skip("the installer is built and run beside the 32-bit program only");
    const std::wstring folder = KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Parlowen";
    const std::wstring menuShortcut = KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Parlowen2009.lnk";
    const std::wstring startupShortcut = StartupShortcutPath();

    // What a user who runs it without /S first meets: the folder page.
    {
        Program setup;
        setup.StartExecutable(DriverFolder() + L"parlowen-setup.exe");
        HWND page = WaitForDialogOf(setup.processId(), 15000);
        REQUIRE(page != nullptr);
        Pump(500);
        SaveScreenshot(nullptr, L"installer-folder-page");
        PressDialogButton(page, IDCANCEL);
        CHECK(setup.WaitForExit(10000) != STILL_ACTIVE);
        CHECK(!Exists(folder));
    }

    CHECK_EQ(RunToEnd(DriverFolder() + L"parlowen-setup.exe", L" /S"), 0ul);
    CHECK(Exists(folder + L"\\parlowen.exe"));
    CHECK(IsEmptyFolder(folder + L"\\TTS"));
    CHECK(Exists(folder + L"\\uninstall.exe"));
    CHECK(Exists(menuShortcut));
    using parlowen::win32::ReadRegistryString;
    CHECK(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName") == std::wstring(L"Parlowen2009"));
    CHECK(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString") ==
          L"\"" + folder + L"\\uninstall.exe\"");
    // The installer carries the version the program carries.
    const std::optional<std::wstring> version = ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion");
    DWORD handle = 0;
    std::vector<BYTE> info(::GetFileVersionInfoSizeW((folder + L"\\parlowen.exe").c_str(), &handle));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    REQUIRE(!info.empty() && ::GetFileVersionInfoW((folder + L"\\parlowen.exe").c_str(), 0, static_cast<DWORD>(info.size()), info.data()) &&
            ::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size) && fixed);
    const std::wstring exeVersion = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                                    std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                                    std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                                    std::to_wstring(LOWORD(fixed->dwFileVersionLS));
    CHECK(version == exeVersion);
    // The licence, as the file's properties show it.
    wchar_t* copyright = nullptr;
    CHECK(::VerQueryValueW(info.data(), L"\\StringFileInfo\\080404b0\\LegalCopyright",
                           reinterpret_cast<void**>(&copyright), &size) &&
          std::wstring_view(copyright).find(L"GPL-3.0-or-later") != std::wstring_view::npos);

    // The installed program runs, is set to start with Windows and saves its settings.
    {
        Program program;
        program.StartExecutable(folder + L"\\parlowen.exe");
        HWND main = program.MainWindowAfterStartUp();
        REQUIRE(main != nullptr);
        ::PostMessageW(main, WM_COMMAND, app::IdNOpenOnStartup, 0);
        CHECK(WaitUntil([&] { return Exists(startupShortcut); }, 5000));
        CHECK_EQ(program.Close(), 0ul);
    }
    // Under Wine it also wrote a desktop autostart entry, and noted where for the uninstaller.
    const std::optional<std::wstring> autostartEntry =
        parlowen::win32::ReadRegistryString(HKEY_CURRENT_USER, L"Software\\Parlowen\\Autostart", (folder + L"\\parlowen.exe").c_str());
    REQUIRE(autostartEntry.has_value());
    CHECK(Exists(*autostartEntry));
    CHECK(Exists(SettingsPath()));

    // Tokens a killed program left: its own goes with the uninstaller, another installation's stays.
    const std::wstring tokens = L"SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\";
    const auto writeToken = [&](const wchar_t* key, const std::wstring& voiceData) {
        HKEY token = nullptr;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (tokens + key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &token,
                              nullptr) != ERROR_SUCCESS)
            return false;
        const bool written = ::RegSetValueExW(token, L"VoiceData", 0, REG_SZ, reinterpret_cast<const BYTE*>(voiceData.c_str()),
                                              static_cast<DWORD>((voiceData.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        ::RegCloseKey(token);
        return written;
    };
    REQUIRE(writeToken(L"MSMary", folder + L"\\tts\\mary.spd"));
    REQUIRE(writeToken(L"MSMike", L"C:\\Program Files\\Speech\\mike.spd"));

    // The uninstaller hands its work to a copy of itself, so the files tell when it is done.
    CHECK_EQ(RunToEnd(folder + L"\\uninstall.exe", L" /S"), 0ul);
    CHECK(WaitUntil([&] { return !Exists(folder); }, 30000));
    CHECK(!Exists(menuShortcut));
    CHECK(!Exists(startupShortcut));
    CHECK(!Exists(*autostartEntry));
    // The entry goes last of all, after the files.
    CHECK(WaitUntil([&] { return !ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"); }, 10000));
    CHECK(!ReadRegistryString(HKEY_LOCAL_MACHINE, (tokens + L"MSMary").c_str(), L"VoiceData"));
    CHECK(ReadRegistryString(HKEY_LOCAL_MACHINE, (tokens + L"MSMike").c_str(), L"VoiceData") ==
          std::wstring(L"C:\\Program Files\\Speech\\mike.spd"));
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, (tokens + L"MSMike").c_str());
    CHECK(Exists(SettingsPath()));
}

}  // namespace
