// A messenger's windows as the capture sees them, for the native tests: the foreground
// window, chat windows by handle with their titles and whole history text, read as the
// platform reads them, and the GBK code page.
#pragma once

#include "capture/chat_capture.h"
#include "capture/chat_windows.h"

#include <cstdint>
#include <functional>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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
    struct Chat {
        std::string title;
        std::string history;
    };
    std::uintptr_t foregroundHandle = 1;
    std::string foregroundTitle;
    std::map<std::uintptr_t, Chat> chats;  // by handle, in the order the system finds them

    // As the platform's title query: at most 254 bytes.
    capture::TitledWindow Foreground() override {
        return {foregroundHandle, foregroundTitle.substr(0, 254)};
    }

    std::u16string AnsiToUnicode(std::string_view text) override {
        const std::string bytes = Iconv(text, "GBK", "UTF-16LE", "\xFD\xFF");
        std::u16string utf16;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            utf16 += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8);
        }
        return utf16;
    }

    std::string UnicodeToAnsi(std::u16string_view text) override {
        std::string bytes;
        for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return Iconv(bytes, "UTF-16LE", "GBK", "?");
    }
    // Every chat window is a top-level window, in the order of their handles.
    std::vector<std::uintptr_t> TopLevelWindows() override {
        std::vector<std::uintptr_t> windows;
        for (const auto& chat : chats) windows.push_back(chat.first);
        return windows;
    }
    std::map<std::uintptr_t, int> titlesAsked;
    std::string Title(std::uintptr_t handle) override {
        ++titlesAsked[handle];
        const auto chat = chats.find(handle);
        return chat == chats.end() ? std::string() : chat->second.title.substr(0, 254);
    }

    std::set<std::uintptr_t> hidden;  // windows among `chats` not shown
    std::set<std::uintptr_t> askedShown;
    bool Shown(std::uintptr_t handle) override {
        askedShown.insert(handle);
        return !hidden.contains(handle);
    }

    // Whether a window exists: by default, whether it is among `chats`.
    std::function<bool(std::uintptr_t)> exists;
    bool Exists(std::uintptr_t handle) override { return exists ? exists(handle) : chats.contains(handle); }

    // As the platform reads a chat: the window asked for while it exists, else the first
    // of the same title; its whole history.
    capture::WindowRead ReadHistory(const capture::ChatRead& request) const {
        capture::WindowRead read{request.window, request.window, {}};
        auto chat = chats.find(request.window.handle);
        if (chat == chats.end())
            chat = std::find_if(chats.begin(), chats.end(), [&](const auto& c) { return c.second.title == request.window.title; });
        read.read.handle = chat == chats.end() ? 0 : chat->first;
        if (chat != chats.end()) read.history = {chat->second.history, 0, true, std::nullopt};
        return read;
    }
};

}  // namespace parlowen::testing
