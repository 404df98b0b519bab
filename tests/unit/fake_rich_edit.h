// A rich edit control as the log sees it, for the native tests and the fuzzers.
#pragma once

#include "log/message_log.h"
#include "text/gbk.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::testing {

using log::Colour;
using log::kFriendHeaderColour;
using log::kMineHeaderColour;

inline constexpr Colour kTypedColour{7, 7, 7};  // what the user's own typing gets

// A rich edit control as the log sees it: one position per character (a GBK
// double-byte character is one), a line break kept as one CR, a colour per character,
// a caret, and a view of a few lines that scrolls.
class FakeRichEdit : public log::LogPane {
public:
    static constexpr long kVisibleLines = 5;

    struct Character {
        std::string bytes;
        Colour colour;
    };
    std::vector<Character> characters;
    long caret = 0;
    long firstVisibleLine = 0;
    bool failInsert = false;

    long TextLength() override { return static_cast<long>(characters.size()); }
    bool EndsAtLineStart() override {
        return characters.empty() || characters.back().bytes == "\r";
    }
    void InsertAtEnd(std::string_view text, Colour colour) override {
        if (failInsert) throw std::runtime_error("the control refused the text");
        Insert(text, colour);
    }
    void PlaceCaret(long position) override { caret = std::clamp(position, 0L, TextLength()); }
    void ScrollCaretIntoView() override {
        const long line = LineOf(caret);
        if (line < firstVisibleLine) firstVisibleLine = line;
        if (line >= firstVisibleLine + kVisibleLines) firstVisibleLine = line - kVisibleLines + 1;
    }

    void Type(std::string_view text) { Insert(text, kTypedColour); }

    long LineOf(long position) const {
        return std::count_if(characters.begin(), characters.begin() + position,
                             [](const Character& c) { return c.bytes == "\r"; });
    }
    bool LineVisible(long line) const {
        return line >= firstVisibleLine && line < firstVisibleLine + kVisibleLines;
    }

    // The text with a tag where the colour changes: {G} green, {B} blue, {K} black,
    // {T} the typing colour.
    std::string Shown() const {
        std::string shown;
        const Colour* previous = nullptr;
        for (const Character& c : characters) {
            if (!previous || !(c.colour == *previous)) shown += Tag(c.colour);
            shown += c.bytes;
            previous = &c.colour;
        }
        return shown;
    }

private:
    static std::string Tag(Colour colour) {
        if (colour == kMineHeaderColour) return "{G}";
        if (colour == kFriendHeaderColour) return "{B}";
        if (colour == log::kBodyColour) return "{K}";
        if (colour == kTypedColour) return "{T}";
        return "{?}";
    }
    void Insert(std::string_view text, Colour colour) {
        for (std::size_t i = 0; i < text.size();) {
            if (text[i] == '\r' || text[i] == '\n') {
                i += text.substr(i, 2) == "\r\n" ? 2 : 1;
                characters.push_back({"\r", colour});
                continue;
            }
            const std::size_t length = text::GbkCharLength(text, i);
            characters.push_back({std::string(text.substr(i, length)), colour});
            i += length;
        }
        caret = TextLength();
    }
};

}  // namespace parlowen::testing
