#include "win32/process_width_win32.h"

namespace parlowen::win32 {
namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, BOOL*);

// IsWow64Process came with Windows XP SP2, after the first Windows the program runs on,
// so it is looked up instead of imported.
IsWow64ProcessFunction IsWow64ProcessIfAny() {
    return reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
}

}  // namespace

std::optional<unsigned> ProcessPointerBytes(HANDLE process) {
    const IsWow64ProcessFunction isWow64Process = IsWow64ProcessIfAny();
    // Every 64-bit Windows has the function: a system without it runs 32-bit code only.
    if (isWow64Process == nullptr) return 4;
    BOOL emulated = FALSE;
    if (!isWow64Process(process, &emulated)) return std::nullopt;
    if (emulated) return 4;
    // Not emulated: it runs the system's own width, which a 32-bit program learns from
    // whether it is itself emulated.
    if (sizeof(void*) == 8) return 8;
    BOOL selfEmulated = FALSE;
    if (!isWow64Process(::GetCurrentProcess(), &selfEmulated)) return std::nullopt;
    return selfEmulated ? 8 : 4;
}

}  // namespace parlowen::win32
