#include "log/message_log.h"

#include "fake_chat_windows.h"
#include "fake_rich_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using parlowen::log::AppendLogEntry;
using parlowen::log::AppendLogLine;
using parlowen::log::Colour;
using parlowen::chat::Role;
using parlowen::testing::FakeRichEdit;
using parlowen::testing::Gbk;
using parlowen::testing::kTypedColour;

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
        {said + said, "{K}" + said + said + "\r"},
        {"sky " + said, "{K}sky " + said + "\r"},
        {"  hi  ", "{K}  hi  \r"},
        {"two\r\nlines", "{K}two\rlines\r"},
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
    EXPECT_EQ(pane.Shown(), "{T}typed{K}\rfirst\rsecond");
}

TEST(AppendLogLineTest, SwallowsAFailingPane) {
    FakeRichEdit pane;
    pane.failInsert = true;
    AppendLogLine(pane, "hi");  // noexcept: an escaping failure would end the run
    EXPECT_NO_THROW(AppendLogEntry(pane, "sky" + Gbk(" 说："), "hi", Role::Mine));
    EXPECT_EQ(pane.Shown(), "");
}

struct EntryCase {
    const char* name;
    std::string typedBefore;
    std::string header;
    std::string body;
    Role author;
    std::string shown;
};

TEST(AppendLogEntryTest, ColoursTheHeaderLineAndTheBodyBlack) {
    const std::string said = Gbk(" 说：");
    const std::string moon = Gbk("月亮");
    const EntryCase cases[] = {
        {"mine", "", "sky 20:15:08" + said, "hi", Role::Mine,
         "{G}sky 20:15:08" + said + "\r{K}hi\r"},
        {"friend, body of several lines", "", moon + said, "one\r\n\r\ntwo", Role::Friend,
         "{B}" + moon + said + "\r{K}one\r\rtwo\r"},
        {"after typed text without a final break", "typed", "moon" + said, "hi",
         Role::Friend, "{T}typed{B}\rmoon" + said + "{K}\rhi"},
        {"header of nothing but the joiner", "", said, "hi", Role::Mine, "{K}hi\r"},
        {"blank body", "", "sky" + said, " \r\n ", Role::Mine, "{G}sky" + said + "\r"},
        {"header of spaces and the joiner beside a time", "", "  20:15:08" + said, "hi",
         Role::Mine, "{G}  20:15:08" + said + "\r{K}hi\r"},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRichEdit pane;
        pane.Type(c.typedBefore);
        AppendLogEntry(pane, c.header, c.body, c.author);
        EXPECT_EQ(pane.Shown(), c.shown);
    }
}

TEST(AppendLogEntryTest, LeavesTheCaretAtTheBodyAndTheEntryInViewAfterTheUserScrolledUp) {
    FakeRichEdit pane;
    for (int i = 0; i < 10; ++i) AppendLogEntry(pane, "sky" + Gbk(" 说："), "line", Role::Mine);
    pane.firstVisibleLine = 0;  // the user scrolls to the top
    const long entryStart = pane.TextLength();

    AppendLogEntry(pane, "moon" + Gbk(" 说："), "last one\r\nreally", Role::Friend);

    const long bodyStart = entryStart + 8;  // "moon 说：" is 7 characters, then its break
    EXPECT_EQ(pane.caret, bodyStart);
    for (long line = pane.LineOf(entryStart); line < pane.LineOf(pane.TextLength()); ++line)
        EXPECT_TRUE(pane.LineVisible(line)) << "line " << line;
}

}  // namespace
