#include "app/settings/settings_folder_file_win32.h"

#include "app/settings/get_path_win32.h"
#include "win32/errors_win32.h"
#include "win32/handles_win32.h"
#include "win32/replace_file_win32.h"
#include "win32/text_win32.h"

#include <algorithm>

namespace parlowen::settings {
namespace {

// A file this large was not written by the program; reading it whole would only cost memory.
constexpr LONGLONG kLargestFile = 64 * 1024 * 1024;

}  // namespace

std::wstring SettingsFolderFile(std::string_view name) { return win32::AnsiToWide(SettingsFolder() + std::string(name)); }

std::optional<std::string> ReadSettingsFolderFile(std::string_view name) {
    const std::wstring path = SettingsFolderFile(name);
    const win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
        throw win32::PlatformError("Cannot read " + win32::WideToAnsi(path) + ": " + win32::SystemMessage(error),
                                   static_cast<long>(error));
    }
    LARGE_INTEGER size{};
    win32::ThrowLastErrorIf(!::GetFileSizeEx(file.get(), &size), "GetFileSizeEx");
    std::string bytes(static_cast<std::size_t>(std::min(size.QuadPart, kLargestFile)), '\0');
    DWORD read = 0;
    win32::ThrowLastErrorIf(
        !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr), "ReadFile");
    bytes.resize(read);
    return bytes;
}

void WriteSettingsFolderFile(std::string_view name, std::string_view bytes) {
    const std::wstring path = SettingsFolderFile(name);
    win32::WriteFileReplacing(path, bytes, "Unable to write to " + win32::WideToAnsi(path));
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> SettingsFolderFileStamp(std::string_view name) noexcept {
    // Asked every second: the folder is worked out once, as asking the shell for it reads
    // the registry and the folder's desktop.ini each time.
    static std::string folder;
    try {
        if (folder.empty()) folder = SettingsFolder();
        WIN32_FILE_ATTRIBUTE_DATA stamp{};
        const std::wstring path = win32::AnsiToWide(folder + std::string(name));
        if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &stamp)) return stamp;
    } catch (...) {
        // No settings folder: no file either, and the folder's failure was told at start-up.
    }
    return std::nullopt;
}

}  // namespace parlowen::settings
