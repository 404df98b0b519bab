// The window commands: hiding to the tray, bringing the window back, the help and
// about boxes, and ending the program.
#include "app/main_window_win32.h"

#include "app/control_ids.h"
#include "win32/menu_items_win32.h"

#include <string>

namespace parlowen::app {
namespace {

constexpr wchar_t kHiddenBalloonText[] = L"程序已最小化, 双击即可恢复.";
constexpr UINT kHiddenBalloonMs = 500;

constexpr wchar_t kHelpText[] =
    L"如何使用本软件?\r\n\r\n1. 打开并登陆 QQ 或 TM 软件。 \r\n\r\n2. 开始与QQ或TM上的好朋友进行文字聊天。\r\n\r\n3. 即可立即发送和接收到的消息被朗读出来。\r\n\r\n----------------------------------------------\r\n\r\n在朗读时如何使QQ静音?\r\n\r\n1.点击QQ主菜单,\r\n\r\n2.点击 静音 菜单项,\r\n\r\n3.这样即可在朗读消息时听着更加清楚和舒适。";

const std::wstring kAboutText = std::wstring(L"Parlowen2009\r\n") + std::wstring(37, L'-') +
                                L"\r\n即时朗读聊天消息，让你的聊天会说话。";

}  // namespace

void TFmain::HideToTray() {
    // Without an icon to come back by, the window minimises to the taskbar instead.
    if (!trayIcon1_ || !trayIcon1_->shown()) {
        ::ShowWindow(hwnd_, SW_MINIMIZE);
        return;
    }
    trayIcon1_->SetBalloon(kMainWindowCaption, kHiddenBalloonText, NIIF_INFO, kHiddenBalloonMs);
    trayIcon1_->ShowBalloon();
    ::ShowWindow(hwnd_, SW_HIDE);
}

void TFmain::RestoreMainWindow(std::optional<int> page) {
    ::ShowWindow(hwnd_, ::IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    // Brought back from the tray, the window belongs in front of the user.
    ::SetForegroundWindow(hwnd_);
    if (page) ShowPage(*page);
}

void TFmain::OnHotkey(WPARAM id) {
    const std::optional<HotkeyAction> action = hotkeys_.Pressed(id);
    if (action == HotkeyAction::Stop) OnCommand(IdStopSpeak1, 0);
    if (action == HotkeyAction::Pause) OnCommand(IdPauseSpeak1, 0);
}

// Pausing silences what is being said and drops what waits: on resuming, only messages
// that come after are read.
void TFmain::PauseReading(bool paused) {
    messageOutput_.SetPaused(paused);
    if (paused) profiles_.StopSpeaking();
    win32::SetMenuItemChecked(trayMenu_.get(), IdPauseSpeak1, paused);
    if (trayIcon1_)
        trayIcon1_->SetIcon(paused && pausedIcon_ ? pausedIcon_.get() : smallIcon_.get(),
                            paused ? L"Parlowen（已暂停朗读）" : L"Parlowen");
}

void TFmain::ExitProgram() { ::PostQuitMessage(0); }

// Neither box has an owner window, so the main window stays usable while one is open.
void TFmain::Help1Click() { ::MessageBoxW(nullptr, kHelpText, L"帮助", MB_OK); }

void TFmain::About1Click() { ::MessageBoxW(nullptr, kAboutText.c_str(), L"关于", MB_OK); }

}  // namespace parlowen::app
