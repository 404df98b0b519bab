// Opening and saving the log pane's content through the rich edit control's own RTF and
// text streams, without ever losing what the user had.
#pragma once

#include "win32/handles_win32.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace parlowen::log {

// Files above this size take the rich edit more than a moment to take in on the GUI
// thread (under Wine about a second for the first megabyte, and a second and a half for
// each further one), so the user is asked first.
inline constexpr std::uint64_t kLargeLogFileBytes = std::uint64_t{1} << 20;
// The largest file the log opens. Parlowen's RTF takes up to 8 bytes a character, so
// this is some 30 million characters, more than a log can hold in memory: a file this
// large was not written by the program.
inline constexpr std::uint64_t kLargestLogFileBytes = std::uint64_t{256} << 20;

// A log file opened for reading, its size taken once: what is read stops there, even
// when the file grows meanwhile. Throws with the file's name and the reason.
class LogFileToOpen {
public:
    explicit LogFileToOpen(const std::string& path);

    std::uint64_t size() const noexcept { return size_; }
    // The file's bytes up to its size; throws for a file above kLargestLogFileBytes.
    std::string Read();

private:
    std::string what_;
    win32::UniqueFile file_;
    std::uint64_t size_ = 0;
};

// A new control made like `current`, in `font` (see NewControlLike), holding `content`:
// as RTF when it is RTF, else as plain text. Throws when the control refuses it;
// `current` is never touched, so the log the user has stays as it was until the new one
// is put in place.
win32::UniqueWindow ControlHoldingLog(HWND current, HFONT font, std::string_view content, const std::string& path);

// Writes the control's content to `path` as RTF or as ANSI plain text with CR LF breaks,
// through a temporary file beside it that replaces the file only once it is written
// whole: a save that fails leaves an earlier file of that name intact.
void SaveLogFile(HWND richEdit, const std::string& path, bool plainText);

}  // namespace parlowen::log
