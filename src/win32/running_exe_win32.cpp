#include "win32/running_exe_win32.h"

#include <windows.h>

namespace parlowen::win32 {

std::string RunningExePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // the name was cut to fit
    }
}

}  // namespace parlowen::win32
