// Opening and saving the log pane's content through the rich edit control's own RTF and
// text streams, without ever losing what the user had.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace parlowen::log {

// The largest file the log opens. The control takes it in on the GUI thread: under
// Wine at about 0.75 s a megabyte, so this size holds the program for some six seconds,
// and the hundreds of megabytes a wrong file may hold would hold it for minutes.
inline constexpr std::size_t kLargestLogFileBytes = std::size_t{8} << 20;

// Replaces the control's content with the file at `path` (ANSI), as RTF when it holds
// RTF, else as plain text. The file is read whole before the log is touched: one that cannot be
// opened or read, or is larger than kLargestLogFileBytes, throws with its name and the
// reason, and the log stays as it was.
void OpenLogFile(HWND richEdit, const std::string& path);

// Writes the control's content to `path` as RTF or as ANSI plain text with CR LF breaks,
// through a temporary file beside it that replaces the file only once it is written
// whole: a save that fails leaves an earlier file of that name intact.
void SaveLogFile(HWND richEdit, const std::string& path, bool plainText);

}  // namespace parlowen::log
