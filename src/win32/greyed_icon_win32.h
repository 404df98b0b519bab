// An icon drawn in pale grey, as a program shows itself while it is paused.
#pragma once

#include "win32/handles_win32.h"

#include <windows.h>

namespace parlowen::win32 {

// `icon`'s pixels in pale grey with its transparency kept; throws PlatformError when the
// system cannot make it.
UniqueIcon GreyedIcon(HICON icon);

}  // namespace parlowen::win32
