// The log pane over a RichEdit 2.0 control of class "RichEdit20A".
#pragma once

#include "log/message_log.h"

#include <windows.h>

#include <string>

namespace parlowen::log {

class LogPaneWin32 final : public LogPane {
public:
    // The control stays owned by its parent window.
    explicit LogPaneWin32(HWND richEdit) noexcept : richEdit_(richEdit) {}

    long TextLength() override;
    bool EndsAtLineStart() override;
    void InsertAtEnd(std::string_view text) override;
    void Select(long start, long end) override;
    void ColourSelection(Colour colour) override;
    void ScrollCaretIntoView() override;

    // The text in the ANSI code page, line breaks as CR LF: all of it, or the selection.
    std::string WholeText() const;
    std::string SelectedText() const;

private:
    HWND richEdit_;
};

}  // namespace parlowen::log
