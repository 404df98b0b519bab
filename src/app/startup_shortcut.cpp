#include "app/startup_shortcut.h"

#include "app/error_report.h"
#include "text/ansi_path.h"

#include <stdexcept>

namespace parlowen::app {

void CheckLinkExtension(std::string_view linkPath) {
    const std::string folder = text::FolderOf(linkPath);
    const std::string_view name = linkPath.substr(folder.size());
    const std::size_t dot = name.rfind('.');  // "." is never a GBK trail byte
    std::string extension(dot == std::string_view::npos ? std::string_view() : name.substr(dot));
    for (char& c : extension)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (extension != ".LNK") throw std::runtime_error(std::string(kLinkExtensionMessage));
}

std::string StartupShortcutPath(std::string_view startupFolder, std::string_view exePath) {
    return std::string(startupFolder) + text::ExeBaseName(exePath) + ".lnk";
}

bool StartupShortcutExists(ShortcutFiles& files, const StartupPlaces& places) {
    return files.Exists(StartupShortcutPath(places.startupFolder, places.exePath));
}

void ApplyStartWithWindows(ShortcutFiles& files, const StartupPlaces& places, bool checked) {
    const std::string link = StartupShortcutPath(places.startupFolder, places.exePath);
    if (checked)
        files.CreateShortcut(places.exePath, std::string(kStartupArguments), link, std::string(kApplicationTitle));
    else if (files.Exists(link))
        files.Delete(link);
}

}  // namespace parlowen::app
