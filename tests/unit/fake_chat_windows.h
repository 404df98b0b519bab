// A messenger's windows as the capture sees them, for the native tests: a foreground
// title, chat windows by exact title with their history text, and the GBK code page.
#pragma once

#include "capture/chat_windows.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace parlowen::testing {

// `text` converted between two iconv encodings; an invalid byte becomes `invalid`.
inline std::string Iconv(std::string_view text, const char* from, const char* to,
                         std::string_view invalid) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no iconv conversion");
    std::string out;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        char buffer[256];
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr);
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out.append(invalid);
            ++in;
            --inLeft;
        }
    }
    ::iconv_close(cd);
    return out;
}

// GBK bytes of UTF-8 text, so that tests can spell Chinese titles and messages readably.
inline std::string Gbk(std::string_view utf8) { return Iconv(utf8, "UTF-8", "GBK", "?"); }

class FakeChatWindows : public capture::ChatWindows {
public:
    std::string foregroundTitle;
    std::map<std::string, std::string, std::less<>> historyByTitle;
    int historyReads = 0;

    // As the platform's title query: at most 254 bytes.
    std::string ForegroundTitle() override { return foregroundTitle.substr(0, 254); }

    std::u16string AnsiToUnicode(std::string_view text) override {
        const std::string bytes = Iconv(text, "GBK", "UTF-16LE", "\xFD\xFF");
        std::u16string utf16;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            utf16 += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8);
        }
        return utf16;
    }

    std::string ReadHistory(std::string_view title) override {
        ++historyReads;
        const auto window = historyByTitle.find(title);
        return window == historyByTitle.end() ? std::string() : window->second;
    }
};

}  // namespace parlowen::testing
