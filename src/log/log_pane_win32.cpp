#include "log/log_pane_win32.h"

#include <richedit.h>

#include <cstring>
#include <string>

namespace parlowen::log {

// Positions are the control's character positions: a double-byte character counts
// once, and RichEdit 2.0 keeps a line break as a single CR.
long LogPaneWin32::TextLength() {
    GETTEXTLENGTHEX request{};
    request.flags = GTL_NUMCHARS | GTL_PRECISE;
    request.codepage = CP_ACP;
    return static_cast<long>(
        ::SendMessageA(richEdit_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0));
}

bool LogPaneWin32::EndsAtLineStart() {
    const long length = TextLength();
    if (length == 0) return true;
    char last[8] = {};  // room for a double-byte character and its NUL
    TEXTRANGEA range{};
    range.chrg = {length - 1, length};
    range.lpstrText = last;
    ::SendMessageA(richEdit_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return last[0] == '\r' || last[0] == '\n';
}

void LogPaneWin32::InsertAtEnd(std::string_view text) {
    const long end = TextLength();
    Select(end, end);
    const std::string terminated(text);
    ::SendMessageA(richEdit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(terminated.c_str()));
}

void LogPaneWin32::Select(long start, long end) {
    CHARRANGE range{start, end};
    ::SendMessageA(richEdit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void LogPaneWin32::ColourSelection(Colour colour) {
    CHARFORMATA format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR;
    format.dwEffects = 0;  // without CFE_AUTOCOLOR, so the colour is used
    format.crTextColor = RGB(colour.red, colour.green, colour.blue);
    ::SendMessageA(richEdit_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

void LogPaneWin32::ScrollCaretIntoView() { ::SendMessageA(richEdit_, EM_SCROLLCARET, 0, 0); }

namespace {

std::string Text(HWND richEdit, DWORD flags) {
    // Room for the whole text even when only the selection is asked for; every
    // character takes at most two bytes, every break one more for its LF, and the NUL.
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    const auto characters = static_cast<std::size_t>(
        ::SendMessageA(richEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    std::string text(characters * 3 + 1, '\0');
    GETTEXTEX request{};
    request.cb = static_cast<DWORD>(text.size());
    request.flags = flags | GT_USECRLF;
    request.codepage = CP_ACP;
    ::SendMessageA(richEdit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));  // the answer counts characters, not bytes
    return text;
}

}  // namespace

std::string LogPaneWin32::WholeText() const { return Text(richEdit_, GT_DEFAULT); }

std::string LogPaneWin32::SelectedText() const { return Text(richEdit_, GT_SELECTION); }

}  // namespace parlowen::log
