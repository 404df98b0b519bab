// Starting with the Linux desktop session. Under Wine, nothing runs the prefix's Startup
// folder when the user logs in to a Linux desktop, so "start with Windows" also writes
// an XDG autostart entry, which the desktop runs at login: it starts the program the
// same way, in the same prefix.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace parlowen::app {

// Where the running program and its prefix are, as Unix paths (UTF-8).
struct AutostartPlaces {
    std::string exePath;
    std::string prefixPath;
};

// The entry's file name in the autostart folder, after the executable's name as the
// shortcut's is: a renamed copy writes and removes an entry of its own.
std::string AutostartFileName(std::string_view exePath);

// The entry: the package's launcher for the program it installs, else Wine itself for
// the program where it is, with the prefix named and the shortcut's arguments. Nothing
// when a path cannot be written into an entry (a line break in it).
std::optional<std::string> AutostartEntry(const AutostartPlaces& places);

// An argument of an entry's Exec key, quoted as freedesktop.org's desktop-entry format asks.
std::string QuoteExecArgument(std::string_view argument);

}  // namespace parlowen::app
