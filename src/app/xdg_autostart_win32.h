// The XDG autostart entry on the Unix side of Wine (see xdg_autostart.h).
#pragma once

namespace parlowen::app {

// Under Wine, writes the entry when `checked` and removes this program's own entry when
// not; does nothing on Windows. Throws when, under Wine, the entry's place cannot be
// found or the entry cannot be written.
void ApplyXdgAutostart(bool checked);

}  // namespace parlowen::app
