// Opening and saving the log pane's content through the rich edit control's own RTF and
// text streams, without ever losing what the user had.
#pragma once

#include <windows.h>

#include <string>

namespace parlowen::log {

// Replaces the control's content with the file at `path` (ANSI), read as the plain-text
// mode decides. The file is read whole before the log is touched: one that cannot be
// opened or read throws with its name and the system's reason, and the log stays as it was.
void OpenLogFile(HWND richEdit, const std::string& path, bool plainTextMode);

// Writes the control's content to `path` as RTF or as ANSI plain text with CR LF breaks,
// through a temporary file beside it that replaces the file only once it is written
// whole: a save that fails leaves an earlier file of that name intact.
void SaveLogFile(HWND richEdit, const std::string& path, bool plainText);

}  // namespace parlowen::log
