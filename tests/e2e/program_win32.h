// The program under test, started as its own process next to the driver.
#pragma once

#include "app/control_ids.h"
#include "e2e.h"
#include "probe_protocol.h"

#include <windows.h>

#include <initializer_list>
#include <optional>
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

    // Starts parlowen.exe (or a copy of it named `exeName`) from the driver's folder
    // with the given command-line tail.
    void Start(const std::wstring& arguments = L"", const std::wstring& exeName = L"parlowen.exe");
    // Starts the program at a full path.
    void StartExecutable(const std::wstring& path, const std::wstring& arguments = L"");
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

// The demo chat tool, a stand-in messenger started as a process of its own from `exe`.
class DemoChat {
public:
    explicit DemoChat(const std::wstring& exe = DriverFolder() + L"parlowen-demo-chat.exe");
    ~DemoChat();
    DemoChat(const DemoChat&) = delete;
    DemoChat& operator=(const DemoChat&) = delete;
    HWND window() const { return window_; }
    HANDLE process() const { return process_; }
    // Its history control, the RichEdit20A the program reads.
    HWND history() const;
    // Types `text` (ANSI) and presses the button that sends it as the friend or as the user.
    enum class Sender { Me = 11, Friend = 12 };
    void Send(Sender sender, const std::string& text);
    void BringToFront();

private:
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
};

// The messenger may be 32-bit or 64-bit whatever the program's width: the demo chat of
// the driver's own width, and the one built beside the program of the other width (named
// by PARLOWEN_OTHER_WIDTH_DEMO_CHAT; the case fails without it).
struct MessengerBuild {
    std::string name;  // "32-bit messenger", "64-bit messenger"
    std::wstring exe;
};
std::vector<MessengerBuild> MessengerBuilds();
// The pointer size of a process, 4 or 8 (0 when unknown).
unsigned PointerBytesOf(HANDLE process);
// Runs a program (an installer, a system tool) to its end; its exit code, or STILL_ACTIVE
// when it did not end in time.
DWORD RunToEnd(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs = 60000);
// Runs a shell script on the Unix side of Wine (links and modes, which Windows cannot
// make or see) and waits for it; what it printed, or nothing when it did not end in time.
std::optional<std::string> RunUnixShell(const std::string& script, DWORD timeoutMs = 10000);

// Moves the eSpeak NG voice process (parlowen-voice.exe.so) away from the program for
// its lifetime: the program then finds no voice engine under Wine, as before it had one.
class WithoutVoiceProcess {
public:
    WithoutVoiceProcess();
    ~WithoutVoiceProcess();
    WithoutVoiceProcess(const WithoutVoiceProcess&) = delete;
    WithoutVoiceProcess& operator=(const WithoutVoiceProcess&) = delete;

private:
    std::wstring path_;
};
// Every visible or hidden top-level window of class `windowClass`.
// The eSpeak NG voice processes running in this Wine prefix.
std::vector<DWORD> VoiceProcesses();
// Suspends every thread of the process, as a hung one behaves; how many it held.
int HoldThreadsOf(DWORD processId);

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
enum class ProbedMenu { MenuBar = probe::kMenuBar, OpenPopup = probe::kOpenPopup };
std::wstring ProbeMenu(HWND window, ProbedMenu which);

// The log pane of the program, read from inside it without touching its selection:
// "sel <start> <end>\n", then "<rrggbb> <text>\n" for each run of one colour (a line
// break inside the text is written \r).
std::wstring ProbeLog(HWND mainWindow);
// Gives the log pane the keyboard focus, as a click in it would, but leaves its caret be.
void FocusLog(HWND mainWindow);
// What the program's window goes through: reads of the followed chat window taken in,
// and ticks of the capture and the tracking timers.
struct ProgramTicks {
    long readsTaken = 0, captureTicks = 0, trackingTicks = 0;
};
// Waits, pumping messages, until the program's window has gone through at least
// `wanted` more of each, counted from the call. Two reads taken mean that a whole read
// made after the call has been handled: a read starts only once the one before it has
// been taken.
bool WaitForTicks(HWND mainWindow, ProgramTicks wanted, DWORD timeoutMs = 10000);
// While it lives, the probe counts what the program's window takes off its queue.
class CountingTicks {
public:
    explicit CountingTicks(HWND mainWindow);
    ~CountingTicks();
    CountingTicks(const CountingTicks&) = delete;
    CountingTicks& operator=(const CountingTicks&) = delete;
    bool counting() const noexcept { return hook_ != nullptr; }

private:
    HHOOK hook_ = nullptr;
};
// While counted: the performance-counter times of the latest capture ticks and reads
// taken (up to 32 of each), oldest first.
struct ProgramTickTimes {
    std::vector<long long> captureTicks, readsTaken;
};
ProgramTickTimes ProbeTickTimes(HWND mainWindow);

// What the program holds, read from inside it: private bytes, handles, GDI and USER objects.
struct ProgramResources {
    unsigned long long privateBytes = 0;
    unsigned long handles = 0, gdiObjects = 0, userObjects = 0;
};
ProgramResources ProbeResources(HWND mainWindow);

// Controls, menu commands and the tray icon's message, by the program's own identifiers.
namespace app = parlowen::app;

// The program's settings folder and file for this user.
std::wstring SettingsFolder();
std::wstring SettingsPath();
// A fresh account: no settings folder at all. Every case starts from here.
void RemoveSettings();
// The program's shortcut in the Startup folder (the one "开机时运行" writes), or another
// one's by its base name.
std::wstring StartupShortcutPath(const std::wstring& baseName = L"parlowen");

// `key` pressed and let go with `held` held down, as the keyboard delivers it to whichever
// window has the keyboard.
void TypeKey(BYTE key, std::initializer_list<BYTE> held = {});
// Ctrl+Alt+`key` pressed and let go, and a moment for it to arrive.
void PressWithCtrlAlt(BYTE key);
// Opens the tray menu as a right click on the icon does; the menu's window (nullptr when
// it did not open).
HWND OpenTrayMenu(HWND main);
// The tray menu's items as ProbeMenu gives them, opened as a right click opens it and closed again.
std::wstring ProbeTrayMenu(HWND main);

HWND Notebook(HWND main);
HWND Page(HWND main, int pageId);
// A control on the options page.
HWND OptionControl(HWND main, int id);
// The entries of a voice box, in order.
std::vector<std::wstring> VoiceBoxEntries(HWND box);
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
// A dialog box (class #32770) of the given process once it is on screen.
HWND WaitForDialogOf(DWORD processId, DWORD timeoutMs = 5000);
// Types `path` into an open or save dialog's file name and presses its OK button; an
// empty `path` presses Cancel. True when the dialog then closed.
bool AnswerFileDialog(HWND dialog, const std::wstring& path);
// Presses the button `id` (IDYES, IDNO, …) of a dialog box and waits until it is gone.
bool PressDialogButton(HWND dialog, int id);
// A key press on a control, as the keyboard delivers it.
void PressKey(HWND control, UINT key);

}  // namespace e2e

// Starts the program (with an optional command-line tail) and names its main window
// once start-up is over; the case ends when no window appears.
#define START_PROGRAM(program, main, ...)                \
    ::e2e::Program program;                              \
    program.Start(__VA_ARGS__);                          \
    HWND main = program.MainWindowAfterStartUp();        \
    REQUIRE(main != nullptr)
