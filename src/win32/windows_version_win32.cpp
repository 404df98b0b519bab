#include "win32/windows_version_win32.h"

#include <windows.h>

namespace parlowen::win32 {

unsigned WindowsMajorVersion() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    // ntdll is in every process; looked up by name, as it has no import library entry we want.
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (rtlGetVersion && rtlGetVersion(&info) == 0) return info.dwMajorVersion;
    return 0;
}

}  // namespace parlowen::win32
