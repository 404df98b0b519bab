// Unit GetPath: the shell's special folders and the settings folder. Paths
// are ANSI text.
#pragma once

#include <string>

namespace parlowen::settings {

// The file-system path of a shell special folder (a CSIDL_ number), without a trailing
// "\"; "" when the shell cannot give it.
std::string GetSpecialFolder(int csidl);
// The user's application-data folder (CSIDL_APPDATA) + "\".
std::string AppDataFolder();
// The user's Startup folder (CSIDL_STARTUP) + "\".
std::string StartupFolder();
// AppDataFolder() + ExeBaseName(RunningExePath()) + "\". Creates that one folder when
// no directory of its name exists; throws win32::PlatformError ("Cannot create the
// folder <folder>: <the system's reason>") when it cannot.
std::string SettingsFolder();
// SettingsFolder() + "set.ini".
std::string SettingsPath();

}  // namespace parlowen::settings
