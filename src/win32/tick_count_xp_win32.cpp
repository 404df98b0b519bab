// Windows XP has no GetTickCount64, yet MinGW's static thread library imports it, and
// one missing import keeps a program from starting at all. This definition of the
// import's address slot takes the place of kernel32's, so the executable imports
// nothing XP lacks: the system's own function where there is one (Vista and later),
// else the 32-bit count extended by the wrap-arounds seen.
#if defined(__MINGW32__)

#include "win32/extended_tick_count.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace {

std::atomic<std::uint64_t> g_lastTicks{0};

ULONGLONG WINAPI ExtendedTickCount() { return parlowen::win32::ExtendTickCount(g_lastTicks, ::GetTickCount()); }

using TickCount64Function = ULONGLONG(WINAPI*)();

// Found on the first call, without a guarded static: the thread library that calls
// this may itself be what such a guard waits with.
std::atomic<TickCount64Function> g_tickCount64{nullptr};

ULONGLONG WINAPI TickCount64() {
    TickCount64Function function = g_tickCount64.load();
    if (!function) {
        function = reinterpret_cast<TickCount64Function>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
        if (!function) function = &ExtendedTickCount;
        g_tickCount64.store(function);
    }
    return function();
}

}  // namespace

// The slot's name is the import's: decorated for stdcall on 32-bit x86.
#if defined(_M_IX86) || defined(__i386__)
extern "C" TickCount64Function g_importedTickCount64 asm("__imp__GetTickCount64@0");
TickCount64Function g_importedTickCount64 = &TickCount64;
#else
extern "C" {
TickCount64Function __imp_GetTickCount64 = &TickCount64;
}
#endif

#endif
