// Text converted between code pages with the C library's iconv, for the benchmarks that
// build GBK chat text from UTF-8 sources or hand GBK text to a UTF-8 synthesiser.
#pragma once

#include <iconv.h>

#include <string>

namespace parlowen::bench {

inline std::string Convert(const std::string& text, const char* from, const char* to) {
    iconv_t convert = iconv_open(to, from);
    std::string in = text, out(text.size() * 2 + 16, '\0');
    char* source = in.data();
    char* target = out.data();
    std::size_t left = in.size(), room = out.size();
    iconv(convert, &source, &left, &target, &room);
    iconv_close(convert);
    out.resize(out.size() - room);
    return out;
}

}  // namespace parlowen::bench
