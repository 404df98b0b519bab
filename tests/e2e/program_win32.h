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
    // The main window once start-up is over: the window is first shown when it ends.
    HWND MainWindowAfterStartUp();
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

// A menu of another process, read from inside that process: one line per item,
// "<depth> <S|C|-> <caption>" (S separator, C checked, - plain).
enum class ProbedMenu { MenuBar = 0, OpenPopup = 1 };
std::wstring ProbeMenu(HWND window, ProbedMenu which);

// The log pane of the program, read from inside it without touching its selection:
// "sel <start> <end>\n", then "<rrggbb> <text>\n" for each run of one colour (a line
// break inside the text is written \r).
std::wstring ProbeLog(HWND mainWindow);

// Controls of the program's main window, by the ids the program gives them.
namespace ids {
inline constexpr int TabSheet1 = 101, TabSheet2 = 102, RichEdit1 = 103, StatusBar1 = 105;
inline constexpr int CBMe = 201, CBFriend = 202, CBmyname = 203, CBFriendsname = 204;
inline constexpr int CBVoice = 301, TRate = 302, TVolume = 303, LRate = 304, LVolume = 305, BtnDefault1 = 306;
inline constexpr int CBVoice1 = 321, TRate1 = 322, TVolume1 = 323, LRate1 = 324, LVolume1 = 325, BtnDefault2 = 326;
// Menu commands.
inline constexpr int NOpenMessage = 1000, NClearMessage = 1001, NSaveMessage = 1002, ExportMessageToWav1 = 1003,
                     NShowTime1 = 1004, NOpenOnStartup = 1005, Nexit = 1006, Help1 = 1007, About1 = 1008;
inline constexpr int Open1 = 1100, NItemOptions = 1101, StopSpeak1 = 1102, NOpenOnStartup2 = 1103, Exit1 = 1104;
}  // namespace ids

// The program's settings folder and file for this user.
std::wstring SettingsFolder();
std::wstring SettingsPath();
// A fresh account: no settings folder at all. Every case starts from here.
void RemoveSettings();

// What the notification area sends the program for its tray icon.
inline constexpr UINT kTrayMessage = WM_APP + 1;

HWND Notebook(HWND main);
HWND Page(HWND main, int pageId);
// A control on the options page.
HWND OptionControl(HWND main, int id);
// Visible and not minimised.
bool Shown(HWND main);
// Restores the window from the tray and brings the options page to the front.
void ShowOptionsPage(HWND main);
// Waits for a message box of any process with this caption.
HWND WaitForMessageBox(const wchar_t* caption, DWORD timeoutMs = 5000);
// The text of a message box, and whether it shows the error icon.
std::wstring MessageBoxText(HWND box);
bool MessageBoxHasIcon(HWND box);
// Presses OK and waits until the box is gone.
bool DismissMessageBox(HWND box);
// A key press on a control, as the keyboard delivers it.
void PressKey(HWND control, UINT key);

}  // namespace e2e
