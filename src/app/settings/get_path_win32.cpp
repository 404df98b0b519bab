#include "app/settings/get_path_win32.h"

#include "text/ansi_path.h"
#include "win32/errors_win32.h"
#include "win32/running_exe_win32.h"
#include "app/settings/settings.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <memory>

namespace parlowen::settings {
namespace {

struct CoTaskMemFreer {
    void operator()(ITEMIDLIST* pidl) const noexcept { ::CoTaskMemFree(pidl); }
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, CoTaskMemFreer>;

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::string GetSpecialFolder(int csidl) {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &pidl))) return {};
    const UniquePidl owner(pidl);
    char path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListA(pidl, path)) return {};
    return path;
}

std::string AppDataFolder() { return GetSpecialFolder(CSIDL_APPDATA) + "\\"; }

std::string StartupFolder() { return GetSpecialFolder(CSIDL_STARTUP) + "\\"; }

std::string SettingsFolder() {
    const std::string folder = AppDataFolder() + text::ExeBaseName(win32::RunningExePath());
    if (!DirectoryExists(folder) && !::CreateDirectoryA((folder + "\\").c_str(), nullptr)) {
        const DWORD error = ::GetLastError();
        if (!DirectoryExists(folder))  // unless another process has just made it
            throw win32::PlatformError("Cannot create the folder " + folder + ": " + win32::SystemMessage(error),
                                       static_cast<long>(error));
    }
    return folder + "\\";
}

std::string SettingsPath() { return SettingsFolder() + std::string(kFileName); }

}  // namespace parlowen::settings
