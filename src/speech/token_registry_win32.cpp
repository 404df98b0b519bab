#include "speech/token_registry_win32.h"

#include "text/ansi_path.h"
#include "win32/running_exe_win32.h"
#include "win32/windows_version_win32.h"

namespace parlowen::speech {
namespace {

// RegOpenKeyEx takes paths relative to the root, without the leading "\".
std::string RelativePath(std::string_view path) {
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    return std::string(path);
}

// The deepest keys first: RegDeleteKey deletes only keys without subkeys.
void DeleteKeyTree(HKEY parent, const std::string& name) {
    win32::UniqueKey key;
    if (::RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return;
    for (;;) {
        char child[256];
        DWORD length = sizeof child;
        if (::RegEnumKeyExA(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const DWORD before = length;
        DeleteKeyTree(key.get(), std::string(child, before));
        // A subkey that would not go would be found again forever.
        win32::UniqueKey still;
        if (::RegOpenKeyExA(key.get(), child, 0, KEY_READ, still.put()) == ERROR_SUCCESS) break;
    }
    key.reset();
    ::RegDeleteKeyA(parent, name.c_str());
}

constexpr unsigned kVersion5 = 5;

}  // namespace

bool WindowsTokenRegistry::OpenKey(std::string_view path, bool create) {
    key_.reset();
    const std::string relative = RelativePath(path);
    const LSTATUS status =
        create ? ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS, nullptr, key_.put(), nullptr)
               : ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, relative.c_str(), 0, KEY_ALL_ACCESS, key_.put());
    if (status != ERROR_SUCCESS) key_.release();  // nothing was handed out
    return status == ERROR_SUCCESS;
}

bool WindowsTokenRegistry::CreateSubkey(std::string_view name) {
    if (!key_) return false;
    win32::UniqueKey subkey;
    const LSTATUS status = ::RegCreateKeyExA(key_.get(), std::string(name).c_str(), 0, nullptr,
                                             REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, subkey.put(), nullptr);
    if (status != ERROR_SUCCESS) subkey.release();  // nothing was handed out
    return status == ERROR_SUCCESS;
}

bool WindowsTokenRegistry::WriteString(std::string_view name, std::string_view value) {
    if (!key_) return false;
    const std::string text(value);
    return ::RegSetValueExA(key_.get(), std::string(name).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1)) ==
           ERROR_SUCCESS;
}

std::optional<std::string> WindowsTokenRegistry::ReadString(std::string_view name) {
    if (!key_) return std::nullopt;
    const std::string valueName(name);
    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExA(key_.get(), valueName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::string value(bytes, '\0');
    if (::RegQueryValueExA(key_.get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()),
                           &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(bytes);
    while (!value.empty() && value.back() == '\0') value.pop_back();
    return value;
}

void WindowsTokenRegistry::DeleteTree(std::string_view name) {
    if (key_) DeleteKeyTree(key_.get(), std::string(name));
}

VoicePlaces RunningVoicePlaces() {
    char windows[MAX_PATH] = "";
    const UINT length = ::GetWindowsDirectoryA(windows, MAX_PATH);
    return {text::FolderOf(win32::RunningExePath()), DriveOf(std::string_view(windows, length < MAX_PATH ? length : 0))};
}

void RefreshVoiceTokensOnVersion5() {
    if (win32::WindowsMajorVersion() != kVersion5) return;
    WindowsTokenRegistry registry;
    RefreshVoiceTokens(registry, RunningVoicePlaces());
}

void RemoveVoiceTokensOnVersion5() {
    if (win32::WindowsMajorVersion() != kVersion5) return;
    WindowsTokenRegistry registry;
    RemoveVoiceTokens(registry, RunningVoicePlaces());
}

}  // namespace parlowen::speech
