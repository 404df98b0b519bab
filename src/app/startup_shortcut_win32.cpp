#include "app/startup_shortcut_win32.h"

#include "app/settings/get_path_win32.h"
#include "text/ansi_path.h"
#include "win32/com_win32.h"
#include "win32/errors_win32.h"
#include "win32/running_exe_win32.h"
#include "win32/text_win32.h"

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

namespace parlowen::app {

bool ShellLinkFiles::Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ShellLinkFiles::Delete(const std::string& path) { ::DeleteFileA(path.c_str()); }

void ShellLinkFiles::CreateShortcut(const std::string& target, const std::string& arguments,
                                    const std::string& linkPath, const std::string& description) {
    CheckLinkExtension(linkPath);
    const win32::OleApartment ole;
    win32::ComPtr<IShellLinkA> link;
    win32::ThrowIfFailed(
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                           reinterpret_cast<void**>(link.GetAddressOf())),
        "CoCreateInstance ShellLink");
    win32::ComPtr<IPersistFile> file;
    win32::ThrowIfFailed(link.As(&file), "IShellLink IPersistFile");
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    link->SetWorkingDirectory(text::FolderOf(target).c_str());
    link->SetDescription(description.c_str());
    // A shortcut that was not written is said so: the marks must not claim it.
    win32::ThrowIfFailed(file->Save(win32::AnsiToWide(linkPath).c_str(), FALSE), ("Cannot write " + linkPath).c_str());
}

StartupPlaces RunningStartupPlaces() { return {win32::RunningExePath(), settings::StartupFolder()}; }

}  // namespace parlowen::app
