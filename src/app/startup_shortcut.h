// Start with Windows: a shortcut named after the executable in the user's Startup
// folder. Whether the option is on is whether that file exists; the two check items
// only mirror it.
#pragma once

#include <string>
#include <string_view>

namespace parlowen::app {

// The shell link files the option needs; the program's implementation writes real
// shortcuts, the tests keep them in memory. Paths are ANSI text.
class ShortcutFiles {
public:
    virtual ~ShortcutFiles() = default;
    virtual bool Exists(const std::string& path) = 0;
    // Whether the deletion worked is of no interest to the option.
    virtual void Delete(const std::string& path) = 0;
    // Writes (or overwrites) a shortcut that starts `target` with `arguments` in the
    // target's folder. Throws for a link path without the ".lnk" extension.
    virtual void CreateShortcut(const std::string& target, const std::string& arguments,
                                const std::string& linkPath, const std::string& description) = 0;
};

inline constexpr std::string_view kStartupArguments = " -s";
// The prime signs (U+2032) in the ANSI code page of the program's users (GBK A1 E4).
inline constexpr std::string_view kLinkExtensionMessage = "File Ext Must Be: \xA1\xE4\xA1\xE4LNK\xA1\xE4\xA1\xE4!";

// Throws std::runtime_error(kLinkExtensionMessage) unless the extension of `linkPath`
// (from its last "." after the last "\" or ":") is ".lnk" in any letter case.
void CheckLinkExtension(std::string_view linkPath);

// StartupFolder + ExeBaseName(exePath) + ".lnk".
std::string StartupShortcutPath(std::string_view startupFolder, std::string_view exePath);

// Where the program is and where its shortcut goes.
struct StartupPlaces {
    std::string exePath;
    std::string startupFolder;
};

// What the check items show when the program starts.
bool StartupShortcutExists(ShortcutFiles& files, const StartupPlaces& places);

// After a click that makes the option `checked`: writes the shortcut, or removes it when
// there is one. Throws when the shortcut cannot be written; the check items then keep
// the marks they had.
void ApplyStartWithWindows(ShortcutFiles& files, const StartupPlaces& places, bool checked);

}  // namespace parlowen::app
