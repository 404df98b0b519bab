#include "registry_win32.h"

#include "win32/handles_win32.h"

namespace parlowen::win32 {

std::optional<std::wstring> ReadRegistryString(HKEY parent, const wchar_t* subkey, const wchar_t* name) {
    DWORD bytes = 0;
    if (::RegGetValueW(parent, subkey, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(parent, subkey, name, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return value;
}

std::vector<std::wstring> RegistrySubkeyNames(HKEY root, const wchar_t* path) {
    std::vector<std::wstring> names;
    UniqueKey key;
    if (::RegOpenKeyExW(root, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        const LSTATUS status = ::RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;  // a name too long to be a voice token's
        if (status != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

}  // namespace parlowen::win32
