#include "app/remote_commands_win32.h"

#include "app/control_ids.h"
#include "app/main_window_win32.h"
#include "win32/handles_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string_view>

namespace parlowen::app {
namespace {

// The command the program's only argument names; 0 for none.
unsigned RequestedCommand() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> arguments(::CommandLineToArgvW(::GetCommandLineW(), &count),
                                                                    &::LocalFree);
    if (!arguments || count != 2) return 0;
    const std::wstring_view argument = arguments.get()[1];
    if (argument == L"--stop") return IdStopSpeak1;
    if (argument == L"--pause") return IdPauseSpeak1;
    return 0;
}

void WriteError(std::string_view line) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

std::optional<int> RunRemoteCommand() {
    const unsigned command = RequestedCommand();
    if (command == 0) return std::nullopt;
    HWND running = ::FindWindowW(kMainWindowClass, kMainWindowCaption);
    if (!running || !::PostMessageW(running, WM_COMMAND, MAKEWPARAM(command, 0), 0)) {
        WriteError("parlowen: Parlowen is not running\n");
        return 1;
    }
    return 0;
}

}  // namespace parlowen::app
