#include "app/main_window_win32.h"

#include "app/chats_page_win32.h"
#include "app/control_ids.h"
#include "app/options_page_win32.h"
#include "app/people_page_win32.h"
#include "app/error_report_win32.h"
#include "app/menus_win32.h"
#include "win32/menu_items_win32.h"
#include "app/settings/get_path_win32.h"
#include "app/settings/profile_store_win32.h"
#include "speech/token_registry_win32.h"
#include "win32/errors_win32.h"
#include "win32/greyed_icon_win32.h"

#include <commctrl.h>
#include <exception>
#include <vector>
#include <shellapi.h>


namespace parlowen::app {
namespace {

constexpr DWORD kMainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

constexpr wchar_t kStartupBalloonTitle[] = L"Parlowen2009(使用帮助):";
constexpr wchar_t kStartupBalloonText[] =
    L"请打开登陆 QQ 或 TM 软件,\r\n发送文字消息给好友进行文字聊天,\r\n即可立即听到发送和接收的消息被朗读出来!";
constexpr UINT kStartupBalloonMs = 3000;

// Pages hand their children's notifications to the main window, where the handlers live.
LRESULT CALLBACK TabSheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
        return ::SendMessageW(::GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    default:
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// What every top-level window hears when the taskbar comes back (Explorer restarted).
UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

win32::UniqueFont CreateTahoma(BYTE charset) {
    return win32::UniqueFont(::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset,
                                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                           DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
}

win32::UniqueIcon LoadProgramIcon(HINSTANCE instance, int size) {
    return win32::UniqueIcon(static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

void RegisterWindowClasses(HINSTANCE instance) {
    const auto registerClass = [instance](const wchar_t* name, WNDPROC procedure) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = name;
        win32::ThrowLastErrorIf(::RegisterClassExW(&windowClass) == 0, "RegisterClassEx");
    };
    registerClass(kMainWindowClass, &win32::ObjectWindowProc<TFmain>);
    registerClass(kTabSheetClass, &TabSheetProc);
}

}  // namespace

TFmain::TFmain()
    : profiles_(speech_.mineVoice(), speech_.friendVoice(), settings_.voices),
      messageOutput_(settings_.reading, settings_.speaking, replacements_, profiles_, people_, hwnd_, richEdit1_,
                     logCaret_) {}

TFmain::~TFmain() { Destroy(); }

void TFmain::Create(HINSTANCE instance) {
    RegisterWindowClasses(instance);
    icon_ = LoadProgramIcon(instance, ::GetSystemMetrics(SM_CXICON));
    smallIcon_ = LoadProgramIcon(instance, ::GetSystemMetrics(SM_CXSMICON));
    formFont_ = CreateTahoma(DEFAULT_CHARSET);
    logFont_ = CreateTahoma(GB2312_CHARSET);

    HMENU menuBar = BuildMainMenu();
    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, kMainWindowStyle, TRUE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    HWND hwnd = ::CreateWindowExW(0, kMainWindowClass, L"", kMainWindowStyle, x, y, width, height,
                                  nullptr, menuBar, instance, this);
    if (hwnd == nullptr) {
        ::DestroyMenu(menuBar);
        win32::ThrowLastErrorIf(true, "CreateWindowEx TFmain");
    }
    ::ShowWindow(hwnd_, initialShowCommand_);
    ::UpdateWindow(hwnd_);
}

void TFmain::StartTimers() {
    ::SetTimer(hwnd_, IdTimer2, kTimerIntervalMs, nullptr);
    ::SetTimer(hwnd_, IdTimer3, kTimerIntervalMs, nullptr);
}

void TFmain::Destroy() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

void TFmain::OnEscapedException() noexcept { ReportCurrentException(); }

LRESULT TFmain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_DESTROY:
        capture_.Disconnect();  // nothing is posted to the window once it is gone
        FormDestroy();
        return 0;
    case WM_NCDESTROY:
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        return 0;
    case WM_SYSCOMMAND:
        // Minimising or closing hides the window to the tray; the program goes on.
        if (wParam == SC_MINIMIZE || wParam == SC_CLOSE) {
            HideToTray();
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_RESTORE && keyboard_) {  // from the taskbar
            const LRESULT result = ::DefWindowProcW(hwnd_, message, wParam, lParam);
            keyboard_->Reopened();
            return result;
        }
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_ACTIVATE:
        // Instead of the default, which gives the keyboard to the window itself.
        if (!keyboard_) return ::DefWindowProcW(hwnd_, message, wParam, lParam);
        keyboard_->OnActivate(wParam);
        return 0;
    case WM_SETFOCUS:
    case WM_SIZE:
        if (keyboard_) keyboard_->PassFocusOn();
        return 0;
    case WM_ENDSESSION:
        // Windows is logging off: end the orderly way now, or the settings are lost.
        if (wParam) {
            ::PostQuitMessage(0);
            ::DestroyWindow(hwnd_);
        }
        return 0;
    case WM_CLOSE:
        // Only a close request that is not the user's (the system, another program)
        // gets here; it ends the program the orderly way.
        ::PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_HSCROLL:
        if (optionsPage_) optionsPage_->OnTrackBar(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom == pageControl1_ && header.code == TCN_SELCHANGE)
            ShowPage(static_cast<int>(::SendMessageW(pageControl1_, TCM_GETCURSEL, 0, 0)));
        if (peoplePage_) peoplePage_->OnNotify(header);
        if (chatsPage_) chatsPage_->OnNotify(header);
        return 0;
    }
    case WM_TIMER:
        if (wParam == IdTimer2) Timer2Timer();
        if (wParam == IdQueueTimer) messageOutput_.QueueTimer();
        if (wParam == IdTimer3) {
            Timer3Timer();
            if (trayIcon1_) trayIcon1_->ShowIfMissing();  // the notification area may have come up since
            if (settingsLoaded_ && replacements_.ChangedOnDisk()) ReloadReplacements();
        }
        return 0;
    case WM_HOTKEY:  // does what the tray menu's item does
        if (const std::optional<HotkeyAction> action = hotkeys_.Pressed(wParam))
            OnCommand(*action == HotkeyAction::Stop ? IdStopSpeak1 : IdPauseSpeak1, 0);
        return 0;
    case kTrayCallbackMessage:
        OnTrayMessage(lParam);
        return 0;
    case kHistoryReadMessage:
        OnHistoryRead();
        return 0;
    case kHistoryChangedMessage:
        capture_.StartRead(true);  // a new message in front is read at once, not at the next tick
        return 0;
    default:
        if (message == TaskbarCreatedMessage() && trayIcon1_) trayIcon1_->ShowAgain();
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

// The window's parts are built one by one: a part that cannot be built is reported,
// and the window comes up with the others. Every handler copes with a missing part.
void TFmain::OnCreate() {
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    trayMenu_.reset(BuildTrayMenu());
    try {
        pausedIcon_ = win32::GreyedIcon(smallIcon_.get());
    } catch (const std::exception&) {
        // While paused, the tray then keeps its icon; its menu and hint still say so.
    }
    trayIcon1_ = std::make_unique<TrayIcon>(hwnd_, kTrayCallbackMessage, smallIcon_.get(), L"Parlowen");
    CreateControls();
    RunReportingFailure([&] { capture_.Connect(hwnd_, kHistoryReadMessage, kHistoryChangedMessage); });
    trayIcon1_->Show();  // when the notification area is not there yet, the icon comes later
    FormCreate();
}

void TFmain::FormCreate() {
    ::SetWindowTextW(hwnd_, kMainWindowCaption);
    speech::RefreshVoiceTokensOnVersion5();

    // Without its settings folder the program still speaks, with the defaults, and saves
    // nothing at exit; why is reported once start-up is done.
    settings::Settings stored;
    std::vector<std::exception_ptr> failures;
    const auto noting = [&](auto&& step) {
        try {
            step();
            return true;
        } catch (...) {
            failures.push_back(std::current_exception());
            return false;
        }
    };
    const bool settingsRead = noting([&] {
        settings::WindowsProfileStore store(settings::SettingsPath());
        stored = settings::LoadSettings(store);
    });
    // The people and the replacements live in the same folder: without that, the
    // folder's failure is the one told. A people file that cannot be read is left as it is.
    if (settingsRead) {
        noting([&] { people_.Load(); });
        noting([&] { replacements_.Load(); });
    }
    settings_.voices = stored.voices;
    profiles_.Load();
    LoadReadingOptions(stored.reading);
    settings_.speaking = stored.speaking;
    settings_.hotkeys = stored.hotkeys;
    noting([&] { hotkeys_.Register(settings_.hotkeys); });
    if (peoplePage_) peoplePage_->ShowSettings();
    settingsLoaded_ = settingsRead;
    if (peoplePage_) peoplePage_->Refresh();
    ShowStartupShortcutMarks();

    initialShowCommand_ = SW_SHOWMINIMIZED;
    trayIcon1_->SetBalloon(kStartupBalloonTitle, kStartupBalloonText, NIIF_INFO, kStartupBalloonMs);
    trayIcon1_->ShowBalloon();
    for (const std::exception_ptr& failure : failures) RunReportingFailure([&] { std::rethrow_exception(failure); });
}

void TFmain::FormDestroy() {
    if (trayIcon1_) trayIcon1_->Hide();
    hotkeys_.Unregister();
    speech::RemoveVoiceTokensOnVersion5();
    RunReportingFailure([&] { people_.SaveIfChanged(); });
    // Settings that were never loaded would overwrite the stored ones with defaults: a
    // run whose start-up failed leaves the file as it was.
    if (settingsLoaded_) SaveSettings();
}

void TFmain::LoadReadingOptions(const capture::ReadingOptions& reading) {
    settings_.reading = reading;
    if (optionsPage_) optionsPage_->ShowReadingOptions();
    win32::SetMenuItemChecked(::GetMenu(hwnd_), IdNShowTime1, reading.showTime);
}

void TFmain::SaveSettings() {
    settings::WindowsProfileStore store(settings::SettingsPath());
    settings::SaveSettings(store, settings_);
}

void TFmain::OnCommand(unsigned id, unsigned notification) {
    if (optionsPage_ && optionsPage_->OnCommand(id, notification)) return;
    if ((peoplePage_ && peoplePage_->OnCommand(id, notification)) || (chatsPage_ && chatsPage_->OnCommand(id, notification))) {
        people_.SaveIfChanged();  // what the user set there is kept at once
        hotkeys_.Register(settings_.hotkeys);
        return;
    }
    switch (id) {
    case IdStopSpeak1:
        profiles_.StopSpeaking();
        break;
    case IdPauseSpeak1:
        PauseReading(!messageOutput_.paused());
        break;
    case IdOpen1:
        RestoreMainWindow(0);
        break;
    case IdNItemOptions:
        RestoreMainWindow(1);
        break;
    case IdNexit:
    case IdExit1:  // NexitClick, Exit1Click: the message loop ends, and FormDestroy runs
        ::PostQuitMessage(0);
        break;
    case IdNOpenMessage:
        NOpenMessageClick();
        break;
    case IdNClearMessage:
        NClearMessageClick();
        break;
    case IdNSaveMessage:
        NSaveMessageClick();
        break;
    case IdNShowTime1:
        NShowTime1Click();
        break;
    case IdExportMessageToWav1:
        ExportMessageToWav1Click();
        break;
    case IdNOpenOnStartup:
    case IdNOpenOnStartup2:
        NOpenOnStartupClick(id == IdNOpenOnStartup2);
        break;
    case IdHelp1:
        Help1Click();
        break;
    case IdAbout1:
        About1Click();
        break;
    case IdRichEdit1:
        if (notification == EN_SETFOCUS) logCaret_.Show(richEdit1_);
        break;
    default:
        break;
    }
}

void TFmain::OnTrayMessage(LPARAM mouseMessage) {
    // TrayIcon1Click and TrayIcon1DblClick both bring the window back, and so do Enter and
    // Space on the icon in the notification area.
    if (mouseMessage == WM_LBUTTONUP || mouseMessage == WM_LBUTTONDBLCLK || mouseMessage == NIN_KEYSELECT)
        RestoreMainWindow();
    // A shell that took the icon's version follows a right click, Shift+F10 and the menu key with
    // WM_CONTEXTMENU; an older one sends only the mouse's message.
    if (!trayIcon1_ || mouseMessage != (trayIcon1_->keyboardMessages() ? WM_CONTEXTMENU : WM_RBUTTONUP)) return;
    POINT cursor;
    ::GetCursorPos(&cursor);
    // Without the foreground, the menu would not close when the user clicks elsewhere.
    ::SetForegroundWindow(hwnd_);
    ::TrackPopupMenu(trayMenu_.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd_, nullptr);
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

// The capture tick reads the tracked window's history on the reader's thread, and goes
// on with it in OnHistoryRead.
void TFmain::Timer2Timer() { capture_.StartRead(); }

void TFmain::OnHistoryRead() {
    capture_.HandleRead(messageOutput_);
    if (!people_.SaveIfChanged()) return;
    if (peoplePage_ && ::IsWindowVisible(tabSheets_[2])) peoplePage_->Refresh();
    if (chatsPage_ && ::IsWindowVisible(tabSheets_[3])) chatsPage_->Refresh();
}

void TFmain::Timer3Timer() { capture_.TrackChats(settings_.reading.everyChat); }

// The user edited the replacements by hand: the page shows them as read, lines to mend
// included, before those are told.
void TFmain::ReloadReplacements() {
    std::exception_ptr problems;
    try {
        replacements_.Load();
    } catch (...) {
        problems = std::current_exception();
    }
    if (peoplePage_) peoplePage_->Refresh();
    if (problems) std::rethrow_exception(problems);
}

}  // namespace parlowen::app
