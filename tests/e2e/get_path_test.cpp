// The settings folder routines under Wine: the special folders, the folder named after
// the executable, and the report when it cannot be created.
#include "e2e.h"

#include "app/settings/get_path_win32.h"
#include "text/ansi_path.h"
#include "win32/running_exe_win32.h"
#include "win32/handles_win32.h"

#include <shlobj.h>

#include <string>

namespace {

using namespace parlowen::settings;
using parlowen::win32::UniqueFile;

UniqueFile OpenFile(const std::string& path, DWORD access, DWORD disposition) {
    const HANDLE file = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, disposition, 0, nullptr);
    return UniqueFile(file);
}

void PutFile(const std::string& path, const std::string& bytes) {
    const UniqueFile file = OpenFile(path, GENERIC_WRITE, CREATE_ALWAYS);
    REQUIRE(file);
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// A short picture of a possibly huge text.
bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

E2E_TEST(GetPathFindsAndCreatesTheSettingsFolder) {
    const std::string appData = AppDataFolder();
    REQUIRE(appData.size() > 1);
    CHECK(appData.ends_with("\\"));
    CHECK(IsDirectory(appData));
    CHECK_EQ(appData, GetSpecialFolder(CSIDL_APPDATA) + "\\");
    const std::string startup = StartupFolder();
    CHECK(startup.size() > 1 && startup.ends_with("\\"));
    CHECK_EQ(GetSpecialFolder(0x7F), std::string());  // no such folder

    CHECK_EQ(parlowen::text::ExeBaseName(parlowen::win32::RunningExePath()), std::string("parlowen_e2e"));
    const std::string folder = appData + "parlowen_e2e";
    ::RemoveDirectoryA(folder.c_str());
    REQUIRE(!IsDirectory(folder));
    CHECK_EQ(SettingsFolder(), folder + "\\");
    CHECK(IsDirectory(folder));
    CHECK_EQ(SettingsFolder(), folder + "\\");  // already there
    CHECK_EQ(SettingsPath(), folder + "\\set.ini");
    ::RemoveDirectoryA(folder.c_str());

    // A file in the folder's place: the folder cannot be created.
    PutFile(folder, "not a folder");
    std::string message;
    try {
        SettingsFolder();
    } catch (const std::exception& e) {
        message = e.what();
    }
    const std::string expected = "Cannot create the folder " + folder + ": ";
    CHECK_EQ(message.substr(0, expected.size()), expected);
    CHECK(message.size() > expected.size());
    ::DeleteFileA(folder.c_str());
}

}  // namespace
