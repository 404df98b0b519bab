#include "win32/running_exe_win32.h"

#include <windows.h>

namespace parlowen::win32 {
namespace {

template <typename Char>
std::basic_string<Char> ModulePath(DWORD(WINAPI* getModuleFileName)(HMODULE, Char*, DWORD)) {
    std::basic_string<Char> path(MAX_PATH, Char{});
    for (;;) {
        const DWORD length = getModuleFileName(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // the name was cut to fit
    }
}

}  // namespace

std::string RunningExePath() { return ModulePath<char>(&::GetModuleFileNameA); }

std::wstring RunningExePathWide() { return ModulePath<wchar_t>(&::GetModuleFileNameW); }

}  // namespace parlowen::win32
