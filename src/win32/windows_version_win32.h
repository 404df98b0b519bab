// The version of Windows the program runs on, as the system knows it.
#pragma once

namespace parlowen::win32 {

// The major version number (5 for 2000 / XP / Server 2003, 6 for Vista to 8.1, 10 …),
// from RtlGetVersion, which, unlike GetVersionEx, answers the truth whatever the
// manifest declares.
unsigned WindowsMajorVersion();

}  // namespace parlowen::win32
