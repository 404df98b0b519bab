// The text of the standard error report that the main window shows when a failure
// escapes one of its handlers.
#pragma once

#include <string>
#include <string_view>

namespace parlowen::app {

inline constexpr std::string_view kApplicationTitle = "Parlowen2009";

// The failure's message as the report shows it: a full stop is added when the last
// character sorts after '.', so "Disk full" reads "Disk full." while "Not found!" or
// "(code 5)" stay as they are. Works on ANSI text: the trail byte of a double-byte
// character is always above '.', so looking at the last byte decides it.
std::string ErrorReportText(std::string_view message);

}  // namespace parlowen::app
