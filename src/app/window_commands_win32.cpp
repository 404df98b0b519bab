// The window commands: hiding to the tray, bringing the window back, pausing reading.
#include "app/main_window_win32.h"

#include "app/control_ids.h"
#include "win32/menu_items_win32.h"
#include "win32/text_win32.h"

#include <string>

namespace parlowen::app {
namespace {

constexpr wchar_t kHiddenBalloonText[] = L"程序已最小化, 双击即可恢复.";
constexpr UINT kHiddenBalloonMs = 500;


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
    if (keyboard_) keyboard_->Reopened();
}

// Pausing silences what is being said and drops what waits: on resuming, only messages
// that come after are read. Where the user wants it, the user's own voice says which it was.
void TFmain::PauseReading(bool paused) {
    messageOutput_.SetPaused(paused);
    if (paused) profiles_.StopSpeaking();
    if (settings_.hotkeys.sayPause)
        profiles_.Speak(chat::Role::Mine, win32::WideToAnsi(paused ? L"暂停朗读" : L"继续朗读"));
    win32::SetMenuItemChecked(trayMenu_.get(), IdPauseSpeak1, paused);
    if (trayIcon1_)
        trayIcon1_->SetIcon(paused && pausedIcon_ ? pausedIcon_.get() : smallIcon_.get(),
                            paused ? L"Parlowen（已暂停朗读）" : L"Parlowen");
}

}  // namespace parlowen::app
