// Reading the registry in the end-to-end cases: string values and the names of subkeys.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace parlowen::win32 {

// The REG_SZ value `name` (nullptr: the default value) of `subkey` under `parent`
// (nullptr: `parent` itself); nothing when it is missing or not a string.
std::optional<std::wstring> ReadRegistryString(HKEY parent, const wchar_t* subkey, const wchar_t* name);

// The names of the subkeys of `path` under `root`; none when it cannot be opened.
std::vector<std::wstring> RegistrySubkeyNames(HKEY root, const wchar_t* path);

}  // namespace parlowen::win32
