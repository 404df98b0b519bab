#include "app/tray_icon_win32.h"

#include "app/control_ids.h"

#include <shellapi.h>

#include <utility>

namespace parlowen::app {
namespace {

template <size_t N>
void CopyTruncated(wchar_t (&target)[N], const std::wstring& source) {
    const size_t count = source.size() < N - 1 ? source.size() : N - 1;
    source.copy(target, count);
    target[count] = L'\0';
}

}  // namespace

TrayIcon::TrayIcon(HWND owner, UINT callbackMessage, HICON icon, std::wstring hint)
    : owner_(owner), callbackMessage_(callbackMessage), icon_(icon), hint_(std::move(hint)) {}

TrayIcon::~TrayIcon() { Hide(); }

NOTIFYICONDATAW TrayIcon::BaseData() const {
    NOTIFYICONDATAW data{};
    // The size Windows XP's shell knows, balloons included; later shells accept it too.
    data.cbSize = NOTIFYICONDATAW_V3_SIZE;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    return data;
}

void TrayIcon::Show() {
    wanted_ = true;
    NOTIFYICONDATAW data = BaseData();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon_;
    CopyTruncated(data.szTip, hint_);
    shown_ = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    // The version Windows XP's shell knows; asked again with every add, as the shell forgets it.
    data.uVersion = NOTIFYICON_VERSION;
    keyboardMessages_ = shown_ && ::Shell_NotifyIconW(NIM_SETVERSION, &data) != FALSE;
}

void TrayIcon::Hide() {
    wanted_ = false;
    if (!shown_) return;
    NOTIFYICONDATAW data = BaseData();
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    shown_ = false;
}

void TrayIcon::ShowAgain() {
    if (!wanted_) return;
    shown_ = false;
    Show();
}

void TrayIcon::ShowIfMissing() {
    if (wanted_ && !shown_) Show();
}

void TrayIcon::SetIcon(HICON icon, std::wstring hint) {
    icon_ = icon;
    hint_ = std::move(hint);
    if (!shown_) return;  // shown so when it comes
    NOTIFYICONDATAW data = BaseData();
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = icon_;
    CopyTruncated(data.szTip, hint_);
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TrayIcon::SetBalloon(std::wstring title, std::wstring text, DWORD infoIcon, UINT timeoutMs) {
    balloonTitle_ = std::move(title);
    balloonText_ = std::move(text);
    balloonIcon_ = infoIcon;
    balloonTimeoutMs_ = timeoutMs;
}

void TrayIcon::ShowBalloon() {
    if (!shown_) return;
    NOTIFYICONDATAW data = BaseData();
    data.uFlags = NIF_INFO;
    CopyTruncated(data.szInfoTitle, balloonTitle_);
    CopyTruncated(data.szInfo, balloonText_);
    data.dwInfoFlags = balloonIcon_;
    data.uTimeout = balloonTimeoutMs_;
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

}  // namespace parlowen::app
