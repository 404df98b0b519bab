#include "app/settings/profile_store_win32.h"

#include <windows.h>

#include <cstring>

namespace parlowen::settings {
namespace {

// The longest value read, as the settings file has always been read.
constexpr DWORD kValueBufferSize = 2048;

}  // namespace

std::string WindowsProfileStore::ReadString(std::string_view section, std::string_view key) {
    // Zeroed, and measured up to its first NUL rather than by the count returned: when
    // a value's double-byte characters overflow the buffer, Wine returns 2047 but
    // fills only the whole characters that fit, leaving the byte after them as it was.
    char buffer[kValueBufferSize] = {};
    ::GetPrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(), "", buffer,
                               sizeof buffer, path_.c_str());
    return std::string(buffer, ::strnlen(buffer, sizeof buffer));
}

void WindowsProfileStore::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (!::WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                      std::string(value).c_str(), path_.c_str()))
        throw SettingsWriteError("Unable to write to " + path_);
}

}  // namespace parlowen::settings
