// The log pane over a RichEdit 2.0 control of class "RichEdit20A".
#pragma once

#include "log/log_caret_win32.h"
#include "log/message_log.h"

#include <windows.h>

#include <string>

namespace parlowen::log {

class LogPaneWin32 final : public LogPane {
public:
    // The control stays owned by its parent window. Its modified flag is the pane's
    // memory between appends: clear while the text is as the last append left it.
    // With a `caret`, the caret waits for the user to see it; without, it moves at once.
    explicit LogPaneWin32(HWND richEdit, LogCaret* caret = nullptr) noexcept : richEdit_(richEdit), caret_(caret) {}

    long TextLength() override;
    bool EndsAtLineStart() override;
    void InsertAtEnd(std::string_view text, Colour colour) override;
    void PlaceCaret(long position) override;
    void ScrollCaretIntoView() override;

    // The text in the ANSI code page, line breaks as CR LF: all of it, or the selection.
    std::string WholeText() const;
    std::string SelectedText() const;

private:
    HWND richEdit_;
    LogCaret* caret_;
};

}  // namespace parlowen::log
