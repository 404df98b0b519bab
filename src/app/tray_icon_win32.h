// The program's icon in the notification area, with its hint and balloons.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace parlowen::app {

class TrayIcon {
public:
    // Tray messages reach `owner` as `callbackMessage` (lParam holds the mouse message).
    TrayIcon(HWND owner, UINT callbackMessage, HICON icon, std::wstring hint);
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon();

    // Puts the icon into the notification area. When the shell refuses (it may not be
    // there yet at log-on), the icon stays wanted and ShowIfMissing tries again.
    void Show();
    void Hide();
    // Called when the taskbar was recreated (Explorer restarted): a wanted icon is gone.
    void ShowAgain();
    // Called now and then: adds a wanted icon that the shell refused so far.
    void ShowIfMissing();
    bool shown() const noexcept { return shown_; }
    // Whether the shell took the icon version that brings the keyboard's messages:
    // NIN_KEYSELECT for Enter and Space, WM_CONTEXTMENU for the menu key and Shift+F10.
    bool keyboardMessages() const noexcept { return keyboardMessages_; }

    // Changes the icon and its hint, now or when the icon comes.
    void SetIcon(HICON icon, std::wstring hint);

    // Balloon settings keep the values last set, as the next balloon uses them.
    void SetBalloon(std::wstring title, std::wstring text, DWORD infoIcon, UINT timeoutMs);
    void ShowBalloon();
    UINT balloonTimeoutMs() const noexcept { return balloonTimeoutMs_; }

private:
    NOTIFYICONDATAW BaseData() const;

    HWND owner_;
    UINT callbackMessage_;
    HICON icon_;
    std::wstring hint_;
    bool wanted_ = false;
    bool shown_ = false;
    bool keyboardMessages_ = false;
    std::wstring balloonTitle_;
    std::wstring balloonText_;
    DWORD balloonIcon_ = NIIF_NONE;
    UINT balloonTimeoutMs_ = 3000;
};

}  // namespace parlowen::app
