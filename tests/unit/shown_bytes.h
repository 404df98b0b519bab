// Byte strings as failure messages show them.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace parlowen::testing {

// Readable form of a byte string for failure messages: bytes outside 0x21-0x7E in hex.
inline std::string Shown(std::string_view text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && byte != '\\') {
            shown += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            shown += hex;
        }
    }
    return shown;
}

}  // namespace parlowen::testing
