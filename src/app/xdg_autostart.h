// Starting with the Linux desktop session. Under Wine, nothing runs the prefix's Startup
// folder when the user logs in to a Linux desktop, so "start with Windows" also writes
// an XDG autostart entry, which the desktop runs at login: it starts the program the
// same way, in the same prefix.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace parlowen::app {

// Where the running program and its prefix are, as Unix paths (UTF-8), and the Wine
// loader that runs the prefix ("" when Wine does not say; "wine" on the path then).
struct AutostartPlaces {
    std::string exePath;
    std::string prefixPath;
    std::string wineLoader;
};

// The entry's file name in the autostart folder: the executable's name, as the
// shortcut's is, and a mark of the prefix and the program's place, so that each prefix,
// and each copy of the program in it, writes and removes an entry of its own (the
// packaged programs of both widths are both "parlowen.exe").
std::string AutostartFileName(const AutostartPlaces& places);

// Earlier versions named the entry after the executable alone; such an entry is this
// program's when it starts it in the same prefix.
std::string LegacyAutostartFileName(std::string_view exePath);
bool IsLegacyEntryOf(std::string_view entry, const AutostartPlaces& places);

// The entry: the package's launcher for the program it installs, else the prefix's own
// Wine for the program where it is, with the prefix named and the shortcut's arguments.
// TryExec names the launcher or the program, so that the desktop skips an entry whose
// program has been removed. Nothing when a path cannot be written into an entry (a line
// break in it).
std::optional<std::string> AutostartEntry(const AutostartPlaces& places);

// An argument of an entry's Exec key, quoted as freedesktop.org's desktop-entry format asks.
std::string QuoteExecArgument(std::string_view argument);

}  // namespace parlowen::app
