// The program under test, started as its own process next to the driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

class Program {
public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    // A program still running at the end of a case is killed, so the next case starts clean.
    ~Program();

    // Starts parlowen.exe from the driver's folder with the given command-line tail.
    void Start(const std::wstring& arguments = L"");
    // The main window of this process, waiting up to `timeoutMs` for it to appear.
    HWND MainWindow(DWORD timeoutMs = 15000);
    // Asks the program to end the orderly way and waits; returns its exit code, or
    // STILL_ACTIVE when it did not end in time.
    DWORD Close(DWORD timeoutMs = 15000);
    DWORD WaitForExit(DWORD timeoutMs);
    bool Running() const;
    DWORD processId() const noexcept { return processId_; }

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND mainWindow_ = nullptr;
};

std::wstring DriverFolder();
// Every visible or hidden top-level window of class `windowClass`.
std::vector<HWND> TopLevelWindows(const wchar_t* windowClass);
std::wstring WindowText(HWND window);
// The text of another process's control, read with WM_GETTEXT.
std::wstring ControlText(HWND control);
std::string ControlTextAnsi(HWND control);
std::wstring ClassName(HWND window);
// A child's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child);

}  // namespace e2e

namespace e2e {

// A menu of another process, read from inside that process: one line per item,
// "<depth> <S|C|-> <caption>" (S separator, C checked, - plain).
enum class ProbedMenu { MenuBar = 0, OpenPopup = 1 };
std::wstring ProbeMenu(HWND window, ProbedMenu which);

}  // namespace e2e
