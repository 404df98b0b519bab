// Which format a saved log is written in and a log file is read in. Saving chooses by
// the file's extension and sets the pane's plain-text mode; opening follows that mode.
#pragma once

#include <string>
#include <string_view>

namespace parlowen::log {

enum class LogFileFormat { Rtf, PlainText };

// The extension of the file name in `path`, ASCII letters in lower case: from the last
// "." of the name (not of a folder) to the end, dot included; "" when there is none.
std::string LowerCaseExtension(std::string_view path);

// Saving: ".txt" plain text, ".rtf" rich text, anything else (no extension too) plain text.
// The answer is also the pane's plain-text mode from then on.
bool PlainTextModeForSaving(std::string_view path);

// Opening: rich text when the file holds RTF as the rich edit control recognises it,
// else plain text, whatever the last save was.
LogFileFormat FormatForOpening(std::string_view content);

}  // namespace parlowen::log
