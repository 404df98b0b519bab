#include "log/message_log.h"

#include "text/gbk.h"
#include "fake_chat_windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using parlowen::log::AppendLogEntry;
using parlowen::log::AppendLogLine;
using parlowen::log::Colour;
using parlowen::log::kFriendHeaderColour;
using parlowen::log::kMineHeaderColour;
using parlowen::testing::Gbk;

constexpr Colour kTypedColour{7, 7, 7};  // what the user's own typing gets

// A rich edit control as the log sees it: one position per character (a GBK
// double-byte character is one), a line break kept as one CR, a colour per character,
// a selection whose caret is its end, and a view of a few lines that scrolls.
class FakeRichEdit : public parlowen::log::LogPane {
public:
    static constexpr long kVisibleLines = 5;

    struct Character {
        std::string bytes;
        Colour colour;
    };
    std::vector<Character> characters;
    long anchor = 0;
    long caret = 0;
    long firstVisibleLine = 0;
    bool failInsert = false;

    long TextLength() override { return static_cast<long>(characters.size()); }
    bool EndsAtLineStart() override {
        return characters.empty() || characters.back().bytes == "\r";
    }
    // New text takes the colour of the character before it, as a rich edit's does.
    void InsertAtEnd(std::string_view text) override {
        if (failInsert) throw std::runtime_error("the control refused the text");
        Insert(text, characters.empty() ? kTypedColour : characters.back().colour);
    }
    void Select(long start, long end) override {
        anchor = std::clamp(start, 0L, TextLength());
        caret = std::clamp(end, 0L, TextLength());
    }
    void ColourSelection(Colour colour) override {
        for (long i = std::min(anchor, caret); i < std::max(anchor, caret); ++i)
            characters[i].colour = colour;
    }
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
        if (colour == parlowen::log::kBodyColour) return "{K}";
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
            const std::size_t length = parlowen::text::GbkCharLength(text, i);
            characters.push_back({std::string(text.substr(i, length)), colour});
            i += length;
        }
        anchor = caret = TextLength();
    }
};

TEST(AppendLogLineTest, SkipsBlankAndBareJoinerLinesAndWritesTheRestUntrimmed) {
    const std::string said = Gbk("说：");
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"", ""},
        {" \t\r\n", ""},
        {said, ""},
        {" " + said, ""},
        {"  " + said + "\r\n", ""},
        {said + said, "{T}" + said + said + "\r"},
        {"sky " + said, "{T}sky " + said + "\r"},
        {"  hi  ", "{T}  hi  \r"},
        {"two\r\nlines", "{T}two\rlines\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FakeRichEdit pane;
        AppendLogLine(pane, c.text);
        EXPECT_EQ(pane.Shown(), c.shown);
    }
}

TEST(AppendLogLineTest, ALineAfterTypedTextWithoutABreakStartsOnItsOwnLine) {
    FakeRichEdit pane;
    pane.Type("typed");
    AppendLogLine(pane, "first");
    AppendLogLine(pane, "second");
    EXPECT_EQ(pane.Shown(), "{T}typed\rfirst\rsecond");
}

TEST(AppendLogLineTest, SwallowsAFailingPane) {
    FakeRichEdit pane;
    pane.failInsert = true;
    EXPECT_NO_THROW(AppendLogLine(pane, "hi"));
    EXPECT_NO_THROW(AppendLogEntry(pane, "sky" + Gbk(" 说："), "hi", kMineHeaderColour));
    EXPECT_EQ(pane.Shown(), "");
}

struct EntryCase {
    const char* name;
    std::string typedBefore;
    std::string header;
    std::string body;
    Colour colour;
    std::string shown;
};

TEST(AppendLogEntryTest, ColoursTheHeaderLineAndTheBodyBlack) {
    const std::string said = Gbk(" 说：");
    const std::string moon = Gbk("月亮");
    const EntryCase cases[] = {
        {"mine", "", "sky 20:15:08" + said, "hi", kMineHeaderColour,
         "{G}sky 20:15:08" + said + "\r{K}hi\r"},
        {"friend, body of several lines", "", moon + said, "one\r\n\r\ntwo", kFriendHeaderColour,
         "{B}" + moon + said + "\r{K}one\r\rtwo\r"},
        {"after typed text without a final break", "typed", "moon" + said, "hi",
         kFriendHeaderColour, "{T}typed{B}\rmoon" + said + "{K}\rhi"},
        {"header of nothing but the joiner", "", said, "hi", kMineHeaderColour, "{K}hi\r"},
        {"blank body", "", "sky" + said, " \r\n ", kMineHeaderColour, "{G}sky" + said + "\r"},
        {"header of spaces and the joiner beside a time", "", "  20:15:08" + said, "hi",
         kMineHeaderColour, "{G}  20:15:08" + said + "\r{K}hi\r"},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRichEdit pane;
        pane.Type(c.typedBefore);
        AppendLogEntry(pane, c.header, c.body, c.colour);
        EXPECT_EQ(pane.Shown(), c.shown);
    }
}

TEST(AppendLogEntryTest, LeavesTheCaretAtTheBodyAndTheEntryInViewAfterTheUserScrolledUp) {
    FakeRichEdit pane;
    for (int i = 0; i < 10; ++i) AppendLogEntry(pane, "sky" + Gbk(" 说："), "line", kMineHeaderColour);
    pane.firstVisibleLine = 0;  // the user scrolls to the top
    const long entryStart = pane.TextLength();

    AppendLogEntry(pane, "moon" + Gbk(" 说："), "last one\r\nreally", kFriendHeaderColour);

    const long bodyStart = entryStart + 8;  // "moon 说：" is 7 characters, then its break
    EXPECT_EQ(pane.anchor, bodyStart);
    EXPECT_EQ(pane.caret, bodyStart);
    for (long line = pane.LineOf(entryStart); line < pane.LineOf(pane.TextLength()); ++line)
        EXPECT_TRUE(pane.LineVisible(line)) << "line " << line;
}

}  // namespace
