#include "text/ansi_path.h"

#include "text/gbk.h"

namespace parlowen::text {

namespace {

// Where the file name starts: after the last "\" or ":" that is a character of its own.
std::size_t NameStart(std::string_view path) {
    std::size_t nameStart = 0;
    for (std::size_t pos = 0; pos < path.size(); pos += GbkCharLength(path, pos))
        if (path[pos] == '\\' || path[pos] == ':') nameStart = pos + 1;
    return nameStart;
}

}  // namespace

std::string FolderOf(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string ExeBaseName(std::string_view path) {
    const std::string_view name = path.substr(NameStart(path));
    return std::string(name.substr(0, name.rfind('.')));  // "." is never a GBK trail byte
}

}  // namespace parlowen::text
