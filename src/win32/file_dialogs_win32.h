// The system's open and save dialogs, as the log commands and the WAV export use them:
// resizable, no read-only box, no question before overwriting, an empty name each time.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace parlowen::win32 {

// `filter` is "text|patterns|text|patterns…"; the first entry is preselected.
// The chosen name (ANSI), or nothing when the user cancelled or left it empty.
std::optional<std::string> AskFileToOpen(HWND owner, const wchar_t* filter);
// `defaultExtension` ("rtf", without the dot) is appended to a name typed without one.
std::optional<std::string> AskFileToSave(HWND owner, const wchar_t* filter, const char* defaultExtension);

}  // namespace parlowen::win32
