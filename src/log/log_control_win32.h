// The log pane's rich edit control, and a new one in its place when the whole content
// changes. Deleting text costs some rich edits (Wine's among them) time in the square of
// the log's length, minutes for a long day's log; destroying a control frees it in one
// pass, so clearing and opening never delete text.
#pragma once

#include "win32/handles_win32.h"

#include <windows.h>

namespace parlowen::log {

// The log pane: an ANSI rich edit (the log holds ANSI text, and other programs read it
// that way), visible, in `bounds` of `parent`, in `font`, with no size limit of its own.
HWND CreateLogControl(HWND parent, const RECT& bounds, int id, HFONT font);

// A new, empty and hidden log control in the place of `model`: its parent, id, size and
// place, in `font` (a rich edit does not tell its font under Wine). `model` is left as
// it is.
win32::UniqueWindow NewControlLike(HWND model, HFONT font);

// Shows `fresh` where `old` is, in its place among its siblings and with the focus if
// `old` had it, and destroys `old`. Returns the control that now shows the log.
HWND PutInPlace(win32::UniqueWindow fresh, HWND old) noexcept;

}  // namespace parlowen::log
