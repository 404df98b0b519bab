// The log pane over a RichEdit 2.0 control of class "RichEdit20A".
#pragma once

#include "log/message_log.h"

#include <windows.h>

#include <string>

namespace parlowen::log {

class LogPaneWin32 final : public LogPane {
public:
    // The control stays owned by its parent window. Its modified flag is the pane's
    // memory between appends: clear while the text is as the last append left it.
    explicit LogPaneWin32(HWND richEdit) noexcept : richEdit_(richEdit) {}

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
};

}  // namespace parlowen::log
