#include "app/xdg_autostart.h"

#include "app/error_report.h"
#include "app/startup_shortcut.h"
#include "text/blanks.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
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

// FNV-1a: stable from one run and one build to the next, which the entry's name must be.
std::uint32_t Fnv1a(std::string_view bytes) {
    std::uint32_t hash = 2166136261u;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

std::string ExecPrefixOf(const AutostartPlaces& places) {
    return "Exec=env WINEPREFIX=" + QuoteExecArgument(places.prefixPath) + " ";
}

// A string value of an entry, escaped as the desktop-entry format asks.
std::string EscapedValue(std::string_view value) {
    std::string escaped;
    for (const char c : value) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return escaped;
}

}  // namespace

std::string AutostartFileName(const AutostartPlaces& places) {
    char mark[9];
    std::snprintf(mark, sizeof mark, "%08x",
                  static_cast<unsigned>(Fnv1a(places.prefixPath + '\0' + places.exePath)));
    return BaseName(places.exePath) + "-" + mark + ".desktop";
}

std::string LegacyAutostartFileName(std::string_view exePath) { return BaseName(exePath) + ".desktop"; }

bool IsLegacyEntryOf(std::string_view entry, const AutostartPlaces& places) {
    return entry.find("\n" + ExecPrefixOf(places)) != std::string_view::npos;
}

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
    for (const std::string* path : {&places.exePath, &places.prefixPath, &places.wineLoader})
        if (path->find_first_of("\r\n") != std::string::npos) return std::nullopt;
    const bool packaged = IsPackagedProgram(places.exePath);
    const std::string wine = places.wineLoader.empty() ? std::string("wine") : QuoteExecArgument(places.wineLoader);
    std::string exec = ExecPrefixOf(places);
    exec += packaged ? QuoteExecArgument(kPackageLauncher) : wine + " " + QuoteExecArgument(places.exePath);
    exec += " " + std::string(text::TrimmedView(kStartupArguments));
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + std::string(kApplicationTitle) + "\n"
           "Comment=Reads instant-messenger chats aloud\n"
           "TryExec=" + EscapedValue(packaged ? kPackageLauncher : places.exePath) + "\n" +
           exec + "\n"
           "Icon=parlowen\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace parlowen::app
