// The XDG autostart entry on the Unix side of Wine (see xdg_autostart.h).
#pragma once

namespace parlowen::app {

// Under Wine, writes this prefix's and program's entry when `checked` and removes it when
// not; does nothing on Windows. Throws when, under Wine, the entry's place cannot be found
// or the entry cannot be written; nothing has changed then.
void ApplyXdgAutostart(bool checked);

// Under Wine, at start-up with the Startup shortcut in place: writes the entry when it is
// missing (as for a shortcut an earlier version made). A failure is left for the user's
// next click on the option to report.
void RestoreXdgAutostart() noexcept;

}  // namespace parlowen::app
