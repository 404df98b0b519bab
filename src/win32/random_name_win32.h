// Names no one can guess, for the files and pipes another local program must not be able
// to take or plant first.
#pragma once

#include <string>

namespace parlowen::win32 {

// 32 hexadecimal digits from a version 4 GUID: 122 random bits.
std::wstring UnguessableName();

}  // namespace parlowen::win32
