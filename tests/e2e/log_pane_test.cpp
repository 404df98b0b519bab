// The log's append rules on a real RichEdit 2.0 control: the text and colours that end
// up in it, where the caret stays, and that a new entry is scrolled into view.
#include "e2e.h"
#include "program_win32.h"
#include "log/log_pane_win32.h"
#include "log/message_log.h"

#include <richedit.h>

#include <string>

namespace {

using namespace e2e;
using parlowen::log::AppendLogEntry;
using parlowen::chat::Role;
using parlowen::log::LogPaneWin32;

// " 说：", "月亮" and "笔记" in GBK.
const std::string kSaid = " \xCB\xB5\xA3\xBA";
const std::string kMoon = "\xD4\xC2\xC1\xC1";
const std::string kNotes = "\xB1\xCA\xBC\xC7";

// A window of the driver's own holding a log pane like the program's.
class LogWindow {
public:
    LogWindow() {
        ::LoadLibraryW(L"riched20.dll");
        frame_ = ::CreateWindowExW(0, L"STATIC", L"log pane", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                   40, 320, 200, nullptr, nullptr, nullptr, nullptr);
        edit_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE |
                                      ES_AUTOVSCROLL,
                                  0, 0, 300, 160, frame_, nullptr, nullptr, nullptr);
        ::SendMessageW(edit_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
        Pump(100);
    }
    ~LogWindow() { ::DestroyWindow(frame_); }

    HWND frame() const { return frame_; }
    HWND edit() const { return edit_; }

    std::string Text() const { return ControlTextAnsi(edit_); }
    COLORREF ColourAt(long position) const {
        CHARRANGE one{position, position + 1};
        ::SendMessageA(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
        CHARFORMATA format{};
        format.cbSize = sizeof(format);
        ::SendMessageA(edit_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format.crTextColor;
    }
    CHARRANGE Selection() const {
        CHARRANGE range{};
        ::SendMessageA(edit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }
    // Whether the character at `position` lies inside the control's visible area.
    bool Visible(long position) const {
        POINTL at{};
        ::SendMessageA(edit_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), position);
        RECT client;
        ::GetClientRect(edit_, &client);
        return at.y >= 0 && at.y < client.bottom;
    }

private:
    HWND frame_;
    HWND edit_;
};

E2E_TEST(LogPaneEntriesKeepTheirTextColoursAndCaret) {
    LogWindow log;
    LogPaneWin32 pane(log.edit());
    AppendLogEntry(pane, "sky 20:15:08" + kSaid, "hi", Role::Mine);
    AppendLogEntry(pane, kMoon + kSaid, "one\r\ntwo", Role::Friend);

    CHECK_EQ(log.Text(), "sky 20:15:08" + kSaid + "\r\nhi\r\n" + kMoon + kSaid + "\r\none\r\ntwo\r\n");
    // Character positions: a line break is one, so is each Chinese character.
    const struct {
        long position;
        COLORREF colour;
    } expected[] = {
        {0, RGB(0, 128, 0)},  {14, RGB(0, 128, 0)}, {15, RGB(0, 128, 0)},  // header and break
        {16, RGB(0, 0, 0)},   {17, RGB(0, 0, 0)},                          // "hi"
        {19, RGB(0, 0, 255)}, {23, RGB(0, 0, 255)},                        // "月亮 说："
        {25, RGB(0, 0, 0)},   {31, RGB(0, 0, 0)},                          // "one", "two"
    };
    const CHARRANGE caret = log.Selection();
    CHECK_EQ(caret.cpMin, 25l);
    CHECK_EQ(caret.cpMax, 25l);
    for (const auto& e : expected) {
        if (log.ColourAt(e.position) != e.colour)
            Fail(__FILE__, __LINE__, "colour at " + std::to_string(e.position) + ": " +
                                         std::to_string(log.ColourAt(e.position)));
    }
    // A message that reads like RTF is still only text.
    const std::string rtf = "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;}\\cf1 red}";
    AppendLogEntry(pane, kMoon + kSaid, rtf, Role::Friend);
    CHECK(log.Text().ends_with("\r\n" + rtf + "\r\n"));
    Pump(200);
    SaveScreenshot(log.frame(), L"log-pane-entries");
}

E2E_TEST(LogPaneLineAfterTypedTextStartsOnANewLine) {
    LogWindow log;
    LogPaneWin32 pane(log.edit());
    // What the user typed: no line break at its end.
    ::SendMessageA(log.edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kNotes.c_str()));
    AppendLogEntry(pane, "sky" + kSaid, "hi", Role::Mine);
    AppendLogEntry(pane, kSaid, "again", Role::Mine);  // no header line
    // Each line after the typed text goes after a break of its own, so none ends in one.
    CHECK_EQ(log.Text(), kNotes + "\r\nsky" + kSaid + "\r\nhi\r\nagain");
    CHECK_EQ(log.ColourAt(3), RGB(0, 128, 0));  // "s" of sky
    CHECK_EQ(log.ColourAt(8), RGB(0, 128, 0));  // "："
    CHECK_EQ(log.ColourAt(10), RGB(0, 0, 0));   // "h" of hi
    CHECK_EQ(log.ColourAt(13), RGB(0, 0, 0));   // "a" of again
}

E2E_TEST(LogPaneEntryIsScrolledIntoViewAfterTheUserScrolledUp) {
    LogWindow log;
    LogPaneWin32 pane(log.edit());
    for (int i = 0; i < 60; ++i)
        AppendLogEntry(pane, "sky" + kSaid, "line " + std::to_string(i), Role::Mine);
    ::SendMessageW(log.edit(), WM_VSCROLL, SB_TOP, 0);
    Pump(100);
    REQUIRE(::SendMessageW(log.edit(), EM_GETFIRSTVISIBLELINE, 0, 0) == 0);

    const long entryStart = pane.TextLength();
    AppendLogEntry(pane, "moon" + kSaid, "the last one", Role::Friend);
    Pump(100);
    CHECK(log.Visible(entryStart));
    CHECK(log.Visible(pane.TextLength() - 2));  // the body's last character
    SaveScreenshot(log.frame(), L"log-pane-scrolled");
}

}  // namespace
