// "parlowen.exe --stop" and "parlowen.exe --pause": commands for the copy of the program
// that runs, as the tray menu's "停止朗读" and "暂停朗读" give them. On a Linux desktop the
// user binds them to keys, as the program's own hotkeys reach it under Wine only while a
// Wine window has the keyboard.
#pragma once

#include <optional>

namespace parlowen::app {

// When the command line names such a command: hands it to the running program and gives
// the exit code (0 handed over; 1 with a line on the standard error when no copy runs).
// Nothing for any other command line, which starts the program as before.
std::optional<int> RunRemoteCommand();

}  // namespace parlowen::app
