// Lines of fields that hold any bytes: fields joined by a tab, a backslash, tab, line
// feed, carriage return or NUL inside a field escaped, each line ending in "\n". The
// voice process speaks in them, and the people file keeps chat names in them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace parlowen::text {

using Fields = std::vector<std::string>;

// One line with its "\n", fields escaped and joined by tabs.
std::string EncodeLine(const Fields& fields);
// The fields of one line given without its "\n" (a trailing "\r" is ignored).
Fields DecodeLine(std::string_view line);

}  // namespace parlowen::text
