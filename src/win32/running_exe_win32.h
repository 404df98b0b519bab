// The running executable's own path.
#pragma once

#include <string>

namespace parlowen::win32 {

// The full path of the running executable, ANSI or wide; "" when the system cannot give it.
std::string RunningExePath();
std::wstring RunningExePathWide();

}  // namespace parlowen::win32
