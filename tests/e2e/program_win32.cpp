#include "program_win32.h"

#include "e2e.h"
#include "app/control_ids.h"
#include "files_win32.h"
#include "probe_protocol.h"
#include "win32/text_win32.h"
#include "win32/wine_win32.h"
#include "win32/handles_win32.h"
#include "win32/process_width_win32.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>
#include <stdexcept>

namespace e2e {

Program::~Program() {
    if (Running()) {
        ::TerminateProcess(process_, 1);
        ::WaitForSingleObject(process_, 5000);
    }
    if (process_) ::CloseHandle(process_);
}

std::wstring DriverFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

WithoutVoiceProcess::WithoutVoiceProcess() : path_(DriverFolder() + L"parlowen-voice.exe.so") {
    ::MoveFileW(path_.c_str(), (path_ + L".away").c_str());
}

WithoutVoiceProcess::~WithoutVoiceProcess() { ::MoveFileW((path_ + L".away").c_str(), path_.c_str()); }

DWORD RunToEnd(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs) {
    Program program;
    program.StartExecutable(exe, arguments);
    return program.WaitForExit(timeoutMs);
}

std::optional<std::string> RunUnixShell(const std::string& script, DWORD timeoutMs) {
    // A Unix program started from Windows gives no handle to wait on: it says it is done
    // by renaming its output into place.
    const std::wstring output = DriverFolder() + L"unix-shell.out";
    ::DeleteFileW(output.c_str());
    const std::optional<std::string> unixOutput = parlowen::win32::UnixPathOf(output);
    if (!unixOutput) return std::nullopt;
    const std::wstring unixPath = parlowen::win32::Utf8ToWide(*unixOutput);
    // Through Wine's start.exe: a Unix program started straight from the driver leaves
    // the driver's standard output dead once it has ended.
    std::wstring commandLine = L"start.exe /wait /unix /bin/sh -c \"{ " + parlowen::win32::Utf8ToWide(script) + L"; } > '" +
                               unixPath + L".part' 2>&1; mv '" + unixPath + L".part' '" + unixPath + L"'\"";
    wchar_t system[MAX_PATH] = L"";
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring start = std::wstring(system) + L"\\start.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(start.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info))
        return std::nullopt;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    if (!WaitUntil([&] { return ::GetFileAttributesW(output.c_str()) != INVALID_FILE_ATTRIBUTES; }, timeoutMs))
        return std::nullopt;
    std::string printed = FileBytes(output);
    ::DeleteFileW(output.c_str());
    return printed;
}

void Program::Start(const std::wstring& arguments, const std::wstring& exeName) {
    StartExecutable(DriverFolder() + exeName, arguments);
}

void Program::StartExecutable(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\"" + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info))
        throw std::runtime_error("cannot start parlowen.exe");
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    ::WaitForInputIdle(process_, 10000);
}

HWND Program::MainWindow(DWORD timeoutMs) {
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(L"TFmain")) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == processId_) mainWindow_ = window;
            }
            return mainWindow_ != nullptr;
        },
        timeoutMs);
    return mainWindow_;
}

HWND Program::MainWindowAfterStartUp() {
    HWND main = MainWindow();
    if (main) WaitUntil([&] { return ::IsWindowVisible(main) != FALSE; }, 10000);
    return main;
}

bool Program::Running() const {
    return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD Program::WaitForExit(DWORD timeoutMs) {
    WaitUntil([&] { return !Running(); }, timeoutMs);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_, &code);
    return code;
}

DWORD Program::Close(DWORD timeoutMs) {
    if (HWND window = MainWindow(0)) ::PostMessageW(window, WM_CLOSE, 0, 0);
    return WaitForExit(timeoutMs);
}

std::vector<HWND> TopLevelWindows(const wchar_t* windowClass) {
    std::vector<HWND> found;
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, windowClass, nullptr)) != nullptr)
        found.push_back(window);
    return found;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = L"";
    ::GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ControlText(HWND control) {
    std::wstring text(65536, L'\0');
    const LRESULT length = ::SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

std::string ControlTextAnsi(HWND control) {
    std::string text(1 << 20, '\0');
    const LRESULT length = ::SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = L"";
    ::GetClassNameW(window, name, 256);
    return name;
}

RECT RectInParent(HWND child) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

DemoChat::DemoChat(const std::wstring& exe) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &info)) {
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        ::WaitForInputIdle(process_, 15000);  // its controls are made by then
    }
    WaitUntil([&] { return (window_ = ::FindWindowW(nullptr, L"与 moon 交谈中")) != nullptr; }, 15000);
}

DemoChat::~DemoChat() {
    if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    if (process_ && ::WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) ::TerminateProcess(process_, 1);
    if (process_) ::CloseHandle(process_);
}

HWND DemoChat::history() const { return ::FindWindowExA(window_, nullptr, "RichEdit20A", nullptr); }

void DemoChat::Send(Sender sender, const std::string& text) {
    constexpr int kInputId = 10;
    ::SendMessageA(::GetDlgItem(window_, kInputId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(::GetDlgItem(window_, static_cast<int>(sender)), BM_CLICK, 0, 0);
}

void DemoChat::BringToFront() {
    ::ShowWindow(window_, SW_RESTORE);
    ::SetForegroundWindow(window_);
}

std::vector<DWORD> VoiceProcesses() {
    std::vector<DWORD> found;
    const parlowen::win32::UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        if (std::wstring(entry.szExeFile).rfind(L"parlowen-voice", 0) == 0) found.push_back(entry.th32ProcessID);
    return found;
}

int HoldThreadsOf(DWORD processId) {
    const parlowen::win32::UniqueKernelHandle threads(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int held = 0;
    for (BOOL more = ::Thread32First(threads.get(), &entry); more; more = ::Thread32Next(threads.get(), &entry)) {
        if (entry.th32OwnerProcessID != processId) continue;
        const parlowen::win32::UniqueKernelHandle thread(::OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
        if (thread && ::SuspendThread(thread.get()) != static_cast<DWORD>(-1)) ++held;
    }
    return held;
}

unsigned PointerBytesOf(HANDLE process) {
    return parlowen::win32::ProcessPointerBytes(process).value_or(0);
}

namespace {

static_assert(probe::kHistoryReadMessage == parlowen::app::kHistoryReadMessage);
static_assert(probe::kCaptureTimer == parlowen::app::IdTimer2 && probe::kTrackingTimer == parlowen::app::IdTimer3);

// Loaded once for the driver's life: each load of the statically linked library takes
// a thread-local slot that unloading does not give back, and a 32-bit driver ran out of
// them (and aborted) after about a thousand probes.
HMODULE ProbeLibrary() {
    static const HMODULE library = ::LoadLibraryW((DriverFolder() + L"parlowen_e2e_probe.dll").c_str());
    return library;
}

// Hooks the probe library into the window's thread and asks it for `what`.
std::wstring Probe(HWND window, WPARAM what) {
    const std::wstring path = probe::AnswerPath();
    ::DeleteFileW(path.c_str());

    const HMODULE library = ProbeLibrary();
    if (!library) return L"(probe library missing)";
    auto* proc = reinterpret_cast<HOOKPROC>(::GetProcAddress(library, probe::kHookProcedureAnsi));
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, proc, library, ::GetWindowThreadProcessId(window, nullptr));
    DWORD_PTR result;
    ::SendMessageTimeoutW(window, ::RegisterWindowMessageW(probe::kMessageName), what, 0, SMTO_NORMAL, 5000, &result);
    if (hook) ::UnhookWindowsHookEx(hook);

    std::wstring text;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"(no answer from the probe)";
    wchar_t buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text.append(buffer, read / sizeof(wchar_t));
    ::CloseHandle(file);
    return text;
}

}  // namespace

std::wstring ProbeLog(HWND mainWindow) { return Probe(mainWindow, probe::kLog); }

void FocusLog(HWND mainWindow) { Probe(mainWindow, probe::kFocusLog); }

namespace {

ProgramTicks ProbeTicks(HWND mainWindow) {
    ProgramTicks ticks;
    std::swscanf(Probe(mainWindow, probe::kTicks).c_str(), L"%ld %ld %ld", &ticks.readsTaken, &ticks.captureTicks,
                 &ticks.trackingTicks);
    return ticks;
}

}  // namespace

CountingTicks::CountingTicks(HWND mainWindow) {
    auto* proc = reinterpret_cast<HOOKPROC>(::GetProcAddress(ProbeLibrary(), probe::kTicksHookProcedureAnsi));
    if (proc)
        hook_ = ::SetWindowsHookExW(WH_GETMESSAGE, proc, ProbeLibrary(), ::GetWindowThreadProcessId(mainWindow, nullptr));
}

CountingTicks::~CountingTicks() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
}

bool WaitForTicks(HWND mainWindow, ProgramTicks wanted, DWORD timeoutMs) {
    const CountingTicks counting(mainWindow);
    if (!counting.counting()) return false;
    const ProgramTicks before = ProbeTicks(mainWindow);
    return WaitUntil(
        [&] {
            const ProgramTicks now = ProbeTicks(mainWindow);
            return now.readsTaken - before.readsTaken >= wanted.readsTaken &&
                   now.captureTicks - before.captureTicks >= wanted.captureTicks &&
                   now.trackingTicks - before.trackingTicks >= wanted.trackingTicks;
        },
        timeoutMs);
}

ProgramTickTimes ProbeTickTimes(HWND mainWindow) {
    ProgramTickTimes times;
    const std::wstring answer = Probe(mainWindow, probe::kTickTimes);
    for (size_t at = 0; at < answer.size();) {
        const size_t end = std::min(answer.find(L'\n', at), answer.size());
        wchar_t name[8] = L"";
        long long time = 0;
        if (std::swscanf(answer.substr(at, end - at).c_str(), L"%7ls %lld", name, &time) == 2)
            (std::wstring(name) == L"tick" ? times.captureTicks : times.readsTaken).push_back(time);
        at = end + 1;
    }
    return times;
}

ProgramResources ProbeResources(HWND mainWindow) {
    ProgramResources resources;
    std::swscanf(Probe(mainWindow, probe::kResources).c_str(), L"%llu %lu %lu %lu", &resources.privateBytes,
                 &resources.handles, &resources.gdiObjects, &resources.userObjects);
    return resources;
}

std::wstring ProbeMenu(HWND window, ProbedMenu which) { return Probe(window, static_cast<WPARAM>(which)); }


std::wstring SettingsFolder() {
    wchar_t appData[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    return std::wstring(appData) + L"\\parlowen";
}

std::wstring SettingsPath() { return SettingsFolder() + L"\\set.ini"; }

void RemoveSettings() {
    ::DeleteFileW(SettingsPath().c_str());
    ::DeleteFileW((SettingsPath() + L".tmp").c_str());
    ::DeleteFileW((SettingsFolder() + L"\\people.txt").c_str());
    ::DeleteFileW((SettingsFolder() + L"\\replacements.txt").c_str());
    ::RemoveDirectoryW(SettingsFolder().c_str());
    ::DeleteFileW(SettingsFolder().c_str());
}

std::wstring StartupShortcutPath(const std::wstring& baseName) {
    wchar_t folder[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, 0, folder);
    return std::wstring(folder) + L"\\" + baseName + L".lnk";
}

void TypeKey(BYTE key, std::initializer_list<BYTE> held) {
    for (BYTE modifier : held) ::keybd_event(modifier, 0, 0, 0);
    ::keybd_event(key, 0, 0, 0);
    ::keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    for (auto modifier = std::rbegin(held); modifier != std::rend(held); ++modifier)
        ::keybd_event(*modifier, 0, KEYEVENTF_KEYUP, 0);
}

void PressWithCtrlAlt(BYTE key) {
    TypeKey(key, {VK_CONTROL, VK_MENU});
    Pump(200);
}

HWND OpenTrayMenu(HWND main) {
    // A right click, as the shell reports it to an icon that asked for its version.
    ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, WM_RBUTTONUP);
    ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, WM_CONTEXTMENU);
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = ::FindWindowW(L"#32768", nullptr)) != nullptr && ::IsWindowVisible(menu); }, 5000);
    Pump(200);
    return menu;
}

std::wstring ProbeTrayMenu(HWND main) {
    HWND menu = OpenTrayMenu(main);
    if (!menu) return {};
    const std::wstring items = ProbeMenu(main, ProbedMenu::OpenPopup);
    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) == nullptr; }, 5000);
    return items;
}

HWND Notebook(HWND main) { return ::FindWindowExW(main, nullptr, L"SysTabControl32", nullptr); }

HWND Page(HWND main, int pageId) { return ::GetDlgItem(Notebook(main), pageId); }

HWND OptionControl(HWND main, int id) { return ::GetDlgItem(Page(main, app::IdTabSheet2), id); }

std::vector<std::wstring> VoiceBoxEntries(HWND box) {
    std::vector<std::wstring> entries;
    const LRESULT count = ::SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        ::SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

bool Shown(HWND main) { return ::IsWindowVisible(main) && !::IsIconic(main); }

void ShowOptionsPage(HWND main) {
    ::PostMessageW(main, WM_COMMAND, app::IdNItemOptions, 0);
    WaitUntil([&] { return Shown(main) && ::IsWindowVisible(Page(main, app::IdTabSheet2)); }, 5000);
}

HWND WaitForMessageBox(const wchar_t* caption, DWORD timeoutMs) {
    HWND box = nullptr;
    // Found only once it is on screen, with all its controls.
    WaitUntil([&] { return (box = ::FindWindowW(L"#32770", caption)) != nullptr && ::IsWindowVisible(box); },
              timeoutMs);
    return box && ::IsWindowVisible(box) ? box : nullptr;
}

std::wstring MessageBoxText(HWND box) {
    std::wstring longest;
    for (HWND child = nullptr; (child = ::FindWindowExW(box, child, L"Static", nullptr)) != nullptr;) {
        const std::wstring text = WindowText(child);
        if (text.size() > longest.size()) longest = text;
    }
    return longest;
}

bool MessageBoxHasIcon(HWND box) {
    for (HWND child = nullptr; (child = ::FindWindowExW(box, child, L"Static", nullptr)) != nullptr;)
        if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && ::IsWindowVisible(child)) return true;
    return false;
}

bool DismissMessageBox(HWND box) { return PressDialogButton(box, IDOK); }

bool PressDialogButton(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    return WaitUntil([&] { return !::IsWindow(dialog); }, 5000);
}

HWND WaitForDialogOf(DWORD processId, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND dialog : TopLevelWindows(L"#32770")) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(dialog, &owner);
                if (owner == processId && ::IsWindowVisible(dialog)) return (found = dialog) != nullptr;
            }
            return false;
        },
        timeoutMs);
    return found;
}

bool AnswerFileDialog(HWND dialog, const std::wstring& path) {
    if (path.empty()) return PressDialogButton(dialog, IDCANCEL);
    // The file name box: a combo box (cmb13) in the Explorer-style dialog, else an edit (edt1).
    HWND name = ::GetDlgItem(dialog, 0x47C);
    if (!name) name = ::GetDlgItem(dialog, 0x480);
    if (!name) return false;
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    return PressDialogButton(dialog, IDOK);
}

void PressKey(HWND control, UINT key) {
    ::PostMessageW(control, WM_KEYDOWN, key, 1);
    ::PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}

}  // namespace e2e
