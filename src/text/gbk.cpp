#include "text/gbk.h"

namespace parlowen::text {

std::size_t GbkCharLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x81 || lead > 0xFE || pos + 1 >= text.size()) return 1;
    const auto trail = static_cast<unsigned char>(text[pos + 1]);
    return trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
}

std::string ReplaceAllGbk(std::string_view text, std::string_view pattern,
                          std::string_view replacement) {
    if (pattern.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t copiedUpTo = 0;
    // Character starts are those of `text` decoded from its start; the decoder only
    // moves forward, so the whole replacement stays linear in the text.
    std::size_t characterStart = 0;
    std::size_t searchFrom = 0;
    while (true) {
        const std::size_t match = text.find(pattern, searchFrom);
        if (match == std::string_view::npos) break;
        while (characterStart < match) characterStart += GbkCharLength(text, characterStart);
        if (characterStart != match) {  // the match starts on a second byte
            searchFrom = match + 1;
            continue;
        }
        result.append(text.substr(copiedUpTo, match - copiedUpTo));
        result.append(replacement);
        copiedUpTo = searchFrom = match + pattern.size();
    }
    result.append(text.substr(copiedUpTo));
    return result;
}

}  // namespace parlowen::text
