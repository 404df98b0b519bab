// The program runs on when parts of it cannot be set up.
#include "demo_chat/chat_window_win32.h"
#include "e2e.h"
#include "program_win32.h"
#include "win32/text_win32.h"

#include <windows.h>
#include <shellapi.h>

namespace {

using namespace e2e;
using namespace parlowen::app;

E2E_TEST(AWindowWithoutItsLogPaneRunsOnWithWhatWasSetUp) {
    // Without the rich edit library the log pane cannot be created: Wine loads no
    // riched20.dll into parlowen.exe while this key says so.
    constexpr wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\parlowen.exe\\DllOverrides";
    HKEY key = nullptr;
    REQUIRE(::RegCreateKeyExW(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
            ERROR_SUCCESS);
    ::RegSetValueExW(key, L"riched20", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    ::RegCloseKey(key);
    Program program;
    program.Start();
    HWND report = WaitForMessageBox(L"Parlowen2009", 10000);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\parlowen.exe");
    REQUIRE(report != nullptr);
    CHECK(MessageBoxText(report).find(L"RichEdit20A") != std::wstring::npos);
    CHECK(DismissMessageBox(report));
    HWND main = program.MainWindowAfterStartUp();
    REQUIRE(main != nullptr);
    CHECK(::IsIconic(main));  // the rest of start-up ran

    // Every handler copes: the ticks with a chat in front, the options, the tray, the window commands.
    parlowen::demo::ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    chat.SetHistory(parlowen::win32::WideToAnsi(L"moon 20:16:30\r\n你好"));
    chat.BringToFront();
    CHECK(WaitForTicks(main, {.readsTaken = 2}));
    ::PostMessageW(Page(main, IdTabSheet2), WM_COMMAND, MAKEWPARAM(IdBtnDefault1, BN_CLICKED), 0);
    ::PostMessageW(main, WM_COMMAND, IdStopSpeak1, 0);
    ::PostMessageW(main, WM_COMMAND, IdNShowTime1, 0);
    ::PostMessageW(main, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONUP);
    CHECK(WaitUntil([&] { return Shown(main); }, 5000));
    ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(WaitUntil([&] { return !::IsWindowVisible(main); }, 5000));  // hidden to the tray
    Pump(1500);
    CHECK(program.Running());
    CHECK(WaitForMessageBox(L"Parlowen2009", 200) == nullptr);
    CHECK_EQ(program.Close(), 0ul);
}

}  // namespace

namespace {

// The process that runs the notification area; the case below ends it for the rest of the run.
DWORD NotificationAreaProcess() {
    DWORD process = 0;
    if (HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr)) ::GetWindowThreadProcessId(tray, &process);
    return process;
}

// A notification area of the case's own, on its thread: a "Shell_TrayWnd" window, to
// which the shell's Shell_NotifyIcon sends every icon command as WM_COPYDATA (dwData the
// NIM_ command). It accepts them all and counts the icons added.
class StandInNotificationArea {
public:
    StandInNotificationArea() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"Shell_TrayWnd";
        ::RegisterClassW(&windowClass);
        window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
        iconsAdded_ = 0;
    }
    ~StandInNotificationArea() { ::DestroyWindow(window_); }
    bool Ready() const { return window_ != nullptr; }
    static int IconsAdded() { return iconsAdded_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_COPYDATA) return ::DefWindowProcW(window, message, wParam, lParam);
        if (reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData == NIM_ADD) ++iconsAdded_;
        return TRUE;
    }
    static inline int iconsAdded_ = 0;
    HWND window_ = nullptr;
};

E2E_TEST_LAST(WithoutANotificationAreaTheWindowMinimisesToTheTaskbarUntilOneComesUp) {
    const DWORD shell = NotificationAreaProcess();
    REQUIRE(shell != 0);
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, shell);
    REQUIRE(process != nullptr);
    ::TerminateProcess(process, 0);
    ::WaitForSingleObject(process, 5000);
    ::CloseHandle(process);
    CHECK(WaitUntil([] { return ::FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr; }, 3000));

    START_PROGRAM(program, main);
    CHECK(::FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr);
    ::ShowWindow(main, SW_RESTORE);
    ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(1500);
    CHECK(::IsWindowVisible(main));
    CHECK(::IsIconic(main));

    // A notification area comes up (as Explorer does after a crash, or late at log-on): the
    // stand-in sends no "TaskbarCreated", so the timer's retry adds the icon, and closing
    // hides the window to it once more.
    StandInNotificationArea area;
    REQUIRE(area.Ready());
    CHECK(WaitUntil([] { return StandInNotificationArea::IconsAdded() == 1; }, 3000));
    ::ShowWindow(main, SW_RESTORE);
    ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(WaitUntil([&] { return !::IsWindowVisible(main); }, 5000));

    CHECK_EQ(program.Close(), 0ul);
}

}  // namespace
