// The start-up shortcut's files on Windows: shell links written through IShellLinkA.
#pragma once

#include "app/startup_shortcut.h"

namespace parlowen::app {

class ShellLinkFiles final : public ShortcutFiles {
public:
    bool Exists(const std::string& path) override;
    void Delete(const std::string& path) override;
    // OLE is initialised around the work, as the shell link object expects. Only a link
    // object that cannot be created is reported; a refused setting or save leaves the
    // shortcut incomplete or missing, which the check marks at the next start show.
    void CreateShortcut(const std::string& target, const std::string& arguments, const std::string& linkPath,
                        const std::string& description) override;
};

// Where the running program and the user's Startup folder are.
StartupPlaces RunningStartupPlaces();

}  // namespace parlowen::app
