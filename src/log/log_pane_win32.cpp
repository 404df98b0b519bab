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
    // Reading a character at a position walks the whole document in some rich edits;
    // while nothing but appends changed the log, the last one's break is still there.
    if (!::SendMessageA(richEdit_, EM_GETMODIFY, 0, 0)) return true;
    const long length = TextLength();
    if (length == 0) return true;
    char last[8] = {};  // room for a double-byte character and its NUL
    TEXTRANGEA range{};
    range.chrg = {length - 1, length};
    range.lpstrText = last;
    ::SendMessageA(richEdit_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return last[0] == '\r' || last[0] == '\n';
}

// Only end-relative requests, which cost the same at any length of the log: the caret
// goes to the end, the colour is set for what is typed there, and the text replaces the
// empty selection.
void LogPaneWin32::InsertAtEnd(std::string_view text, Colour colour) {
    ::SendMessageA(richEdit_, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    CHARFORMATA format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR;
    format.dwEffects = 0;  // without CFE_AUTOCOLOR, so the colour is used
    format.crTextColor = RGB(colour.red, colour.green, colour.blue);
    ::SendMessageA(richEdit_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    // A rich edit takes text that starts like RTF ("{\rtf") as RTF. Chat text is only
    // ever text, so an opening brace goes in on its own.
    std::string_view rest = text;
    if (rest.starts_with('{')) {
        ::SendMessageA(richEdit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("{"));
        rest.remove_prefix(1);
    }
    const std::string terminated(rest);
    ::SendMessageA(richEdit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(terminated.c_str()));
    const bool endsWithBreak = text.ends_with('\n') || text.ends_with('\r');
    ::SendMessageA(richEdit_, EM_SETMODIFY, !endsWithBreak, 0);
}

void LogPaneWin32::PlaceCaret(long position) {
    if (caret_) caret_->Place(richEdit_, position);
    else SetCaret(richEdit_, position);
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
