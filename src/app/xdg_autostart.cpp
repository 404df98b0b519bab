#include "app/xdg_autostart.h"

#include "app/error_report.h"
#include "app/startup_shortcut.h"
#include "text/blanks.h"

#include <algorithm>
#include <iterator>

namespace parlowen::app {
namespace {

// Where the Linux packages put the program of each width, and the launcher that picks
// the one the prefix runs.
constexpr std::string_view kPackagedPrograms[] = {"/usr/lib/parlowen/win32/parlowen.exe",
                                                  "/usr/lib/parlowen/win64/parlowen.exe"};
constexpr std::string_view kPackageLauncher = "/usr/bin/parlowen";

bool IsPackagedProgram(std::string_view exePath) {
    return std::ranges::find(kPackagedPrograms, exePath) != std::end(kPackagedPrograms);
}

std::string BaseName(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return std::string(name.substr(0, name.rfind('.')));
}

}  // namespace

std::string AutostartFileName(std::string_view exePath) { return BaseName(exePath) + ".desktop"; }

std::string QuoteExecArgument(std::string_view argument) {
    // Inside the quotes, '"', '`', '$' and '\' take a backslash; the key's value then
    // doubles every backslash, and a literal '%' is written "%%".
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$') quoted += "\\\\";
        if (c == '\\') quoted += "\\\\\\";
        quoted += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return quoted + "\"";
}

std::optional<std::string> AutostartEntry(const AutostartPlaces& places) {
    for (const std::string_view path : {std::string_view(places.exePath), std::string_view(places.prefixPath)})
        if (path.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    std::string exec = "env WINEPREFIX=" + QuoteExecArgument(places.prefixPath) + " ";
    exec += IsPackagedProgram(places.exePath) ? QuoteExecArgument(kPackageLauncher)
                                              : "wine " + QuoteExecArgument(places.exePath);
    exec += " " + std::string(text::TrimmedView(kStartupArguments));
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + std::string(kApplicationTitle) + "\n"
           "Comment=Reads instant-messenger chats aloud\n"
           "Exec=" + exec + "\n"
           "Icon=parlowen\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace parlowen::app
