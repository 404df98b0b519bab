// Where the log pane's caret goes after an entry: the start of the entry's body.
#pragma once

#include <windows.h>

#include <optional>

namespace parlowen::log {

// Under Wine, putting a rich edit's caret anywhere but the end of its text walks every
// paragraph before that place, a cost that grows with the log. A caret can be neither
// seen nor used until its pane has the keyboard focus in the active window, so until
// then the place is only remembered, and the caret goes there when the pane gets the
// focus. While the user works in the pane, the caret moves at once.
class LogCaret {
public:
    // Puts the caret of `pane` at `position` with nothing selected, now or on focus.
    void Place(HWND pane, long position);
    // Called when the pane gets the keyboard focus: the caret goes to the place
    // remembered, if the user can see it now.
    void Show(HWND pane);
    // The text the place counted in is gone (the pane was cleared or replaced).
    void Forget() noexcept { position_.reset(); }

private:
    std::optional<long> position_;
};

// Puts the caret of `pane` at `position` with nothing selected, at once.
void SetCaret(HWND pane, long position);

}  // namespace parlowen::log
