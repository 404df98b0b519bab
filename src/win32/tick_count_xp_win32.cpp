// Windows XP has no GetTickCount64, yet MinGW's static thread library imports it, and
// one missing import keeps a program from starting at all. This definition of the
// import's address slot takes the place of kernel32's, so the executable imports
// nothing XP lacks: the system's own function where there is one (Vista and later),
// else the 32-bit count extended by the wrap-arounds seen.
#if defined(__MINGW32__)

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace {

std::atomic<std::uint64_t> g_lastTicks{0};

ULONGLONG WINAPI ExtendedTickCount() {
    std::uint64_t last = g_lastTicks.load();
    for (;;) {
        const DWORD now = ::GetTickCount();
        std::uint64_t high = last & ~std::uint64_t{0xFFFFFFFF};
        if (now < static_cast<DWORD>(last)) high += std::uint64_t{1} << 32;
        const std::uint64_t ticks = high | now;
        if (g_lastTicks.compare_exchange_weak(last, ticks)) return ticks;
    }
}

using TickCount64Function = ULONGLONG(WINAPI*)();

ULONGLONG WINAPI TickCount64() {
    static const auto system = reinterpret_cast<TickCount64Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
    return system ? system() : ExtendedTickCount();
}

}  // namespace

extern "C" {
TickCount64Function __imp_GetTickCount64 = &TickCount64;
}

#endif
