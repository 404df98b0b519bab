#include "log/log_file_format.h"

#include "text/gbk.h"

namespace parlowen::log {

std::string LowerCaseExtension(std::string_view path) {
    std::size_t nameStart = 0;
    std::size_t dot = std::string_view::npos;
    for (std::size_t pos = 0; pos < path.size(); pos += text::GbkCharLength(path, pos)) {
        if (path[pos] == '\\' || path[pos] == '/' || path[pos] == ':') {
            nameStart = pos + 1;
            dot = std::string_view::npos;
        } else if (path[pos] == '.') {
            dot = pos;
        }
    }
    if (dot == std::string_view::npos || dot < nameStart) return {};
    std::string extension(path.substr(dot));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

bool PlainTextModeForSaving(std::string_view path) {
    const std::string extension = LowerCaseExtension(path);
    if (extension == ".txt") return true;
    if (extension == ".rtf") return false;
    return true;
}

LogFileFormat FormatForOpening(std::string_view content) {
    // The signatures RichEdit 2.0 accepts as rich text; anything else it refuses as RTF.
    const bool rtf = content.starts_with("{\\rtf") || content.starts_with("{\\urtf");
    return rtf ? LogFileFormat::Rtf : LogFileFormat::PlainText;
}

}  // namespace parlowen::log
