// A whole file in the settings folder, beside set.ini: read at once, and written through
// a temporary file so that a failure leaves the earlier one as it was.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace parlowen::settings {

// The file's path, the settings folder made when it is missing.
std::wstring SettingsFolderFile(std::string_view name);
// The file's bytes; nothing when there is no such file. Throws win32::PlatformError
// "Cannot read <path>: <the system's reason>" when the folder or the file cannot be read.
std::optional<std::string> ReadSettingsFolderFile(std::string_view name);
// Throws "Unable to write to <path>: <the system's reason>".
void WriteSettingsFolderFile(std::string_view name, std::string_view bytes);
// When the file was last written and how long it is; nothing when it is not there.
std::optional<WIN32_FILE_ATTRIBUTE_DATA> SettingsFolderFileStamp(std::string_view name) noexcept;

}  // namespace parlowen::settings
