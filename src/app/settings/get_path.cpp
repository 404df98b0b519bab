#include "app/settings/get_path.h"

#include "text/gbk.h"

namespace parlowen::settings {

std::string ExeBaseName(std::string_view path) {
    std::size_t nameStart = 0;
    for (std::size_t pos = 0; pos < path.size(); pos += text::GbkCharLength(path, pos))
        if (path[pos] == '\\' || path[pos] == ':') nameStart = pos + 1;
    const std::string_view name = path.substr(nameStart);
    return std::string(name.substr(0, name.rfind('.')));  // "." is never a GBK trail byte
}

}  // namespace parlowen::settings
