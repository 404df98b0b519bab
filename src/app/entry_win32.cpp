// Program entry: the commands for a running copy, the single-instance test, COM, the main
// window and the message loop. Any other command line is not read.
#include "app/control_ids.h"
#include "app/error_report_win32.h"
#include "app/main_window_win32.h"
#include "app/remote_commands_win32.h"
#include "win32/com_win32.h"
#include "win32/handles_win32.h"

#include <windows.h>
#include <commctrl.h>

namespace {

using parlowen::app::TFmain;

// A second start ends silently while a running copy holds the mutex, or while its main
// window exists. The window gets its caption only late in start-up, so two starts close
// together would both miss it: the mutex, taken first thing, settles it.
bool AnotherInstanceRuns(const parlowen::win32::UniqueKernelHandle& singleInstance) {
    if (singleInstance && ::GetLastError() == ERROR_ALREADY_EXISTS) return true;
    return ::FindWindowW(parlowen::app::kMainWindowClass, parlowen::app::kMainWindowCaption) != nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (const std::optional<int> exitCode = parlowen::app::RunRemoteCommand()) return *exitCode;
    // Held until the program ends; the system closes it with the process.
    const parlowen::win32::UniqueKernelHandle singleInstance(
        ::CreateMutexW(nullptr, FALSE, L"Local\\Parlowen2009.SingleInstance"));
    if (AnotherInstanceRuns(singleInstance)) return 0;

    parlowen::win32::ComApartment com(COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_HOTKEY_CLASS};
    ::InitCommonControlsEx(&controls);
    const parlowen::win32::UniqueModule richEdit(::LoadLibraryW(L"riched20.dll"));

    TFmain mainWindow;
    try {
        mainWindow.Create(instance);
    } catch (...) {
        parlowen::app::ReportCurrentException();
        return 1;
    }
    mainWindow.StartTimers();
    parlowen::win32::RunMessageLoop(mainWindow.hwnd(), [&](const MSG& msg) { return mainWindow.TranslateKeys(msg); });
    mainWindow.Destroy();
    return 0;
}
