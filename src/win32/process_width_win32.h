// Whether another process runs 32-bit or 64-bit code.
#pragma once

#include <windows.h>

#include <optional>

namespace parlowen::win32 {

// The size of a pointer in `process` (4 or 8), which needs PROCESS_QUERY_INFORMATION;
// nullopt when the system will not tell.
std::optional<unsigned> ProcessPointerBytes(HANDLE process);

}  // namespace parlowen::win32
