#include "text/blanks.h"

namespace parlowen::text {

std::string_view TrimmedView(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string TrimBlanks(std::string_view text) { return std::string(TrimmedView(text)); }

}  // namespace parlowen::text
