#include "chat_window_win32.h"

#include <richedit.h>

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace parlowen::demo {
namespace {

constexpr wchar_t kWindowClass[] = L"ParlowenDemoChat";
// Not IDOK: dialog navigation sends IDOK with the control of that id.
constexpr int kHistoryId = 100;
constexpr int kWidth = 480;
constexpr int kHeight = 400;

// Loaded once for the life of the process: chat windows come and go on any thread.
void LoadRichEdit() {
    static const HMODULE richEdit = ::LoadLibraryW(L"riched20.dll");
    if (richEdit == nullptr) throw std::runtime_error("riched20.dll cannot be loaded");
}

}  // namespace

ChatWindow::ChatWindow(std::string_view ansiTitle) {
    RegisterWindowClass();
    const std::string title(ansiTitle);
    ::CreateWindowExA(0, "ParlowenDemoChat", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                      CW_USEDEFAULT, CW_USEDEFAULT, kWidth, kHeight, nullptr, nullptr,
                      ::GetModuleHandleW(nullptr), this);
    CreateHistory();
}

ChatWindow::ChatWindow(std::wstring_view title, Opening opening) {
    RegisterWindowClass();
    const std::wstring terminated(title);
    const DWORD shown = opening == Opening::Shown ? WS_VISIBLE : 0;
    ::CreateWindowExW(0, kWindowClass, terminated.c_str(), WS_OVERLAPPEDWINDOW | shown,
                      CW_USEDEFAULT, CW_USEDEFAULT, kWidth, kHeight, nullptr, nullptr,
                      ::GetModuleHandleW(nullptr), this);
    CreateHistory();
}

ChatWindow::~ChatWindow() {
    if (window_ != nullptr) ::DestroyWindow(window_);
}

void ChatWindow::RegisterWindowClass() {
    LoadRichEdit();
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &win32::ObjectWindowProc<ChatWindow>;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        return ::RegisterClassExW(&windowClass);
    }();
    if (atom == 0) throw std::runtime_error("the chat window class cannot be registered");
}

void ChatWindow::CreateHistory() {
    if (window_ == nullptr) throw std::runtime_error("the chat window cannot be created");
    history_ = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, "RichEdit20A", "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 0, 0, 0,
        0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHistoryId)),
        ::GetModuleHandleW(nullptr), nullptr);
    if (history_ == nullptr) throw std::runtime_error("the history control cannot be created");
    // A long chat holds far more than the default limit of 32767 characters.
    ::SendMessageW(history_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    Layout();
}

LRESULT ChatWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_COMMAND:
        if (onCommand && lParam != 0) onCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (onTimer) onTimer(wParam);
        return 0;
    case WM_CLOSE:
        if (onClose) onClose();
        break;  // DefWindowProc destroys the window
    case WM_NCDESTROY: {
        HWND window = std::exchange(window_, nullptr);
        history_ = nullptr;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void ChatWindow::Layout() {
    if (history_ == nullptr) return;
    RECT client;
    ::GetClientRect(window_, &client);
    ::MoveWindow(history_, 0, 0, client.right, client.bottom - bottomBand_, TRUE);
    if (onResize) onResize(client.right, client.bottom);
}

void ChatWindow::ReserveBottomBand(int height) {
    bottomBand_ = height;
    Layout();
}

void ChatWindow::AppendMessage(std::string_view nickname, std::string_view text,
                               std::string_view time) {
    std::string message;
    if (::GetWindowTextLengthW(history_) > 0) message += "\r\n";
    message.append(nickname).append(" ").append(time).append("\r\n").append(text);
    InsertAtEnd(message);
}

void ChatWindow::AppendMessage(std::string_view nickname, std::string_view text) {
    AppendMessage(nickname, text, CurrentTimeText());
}

void ChatWindow::InsertAtEnd(std::string_view text) {
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    const auto end = static_cast<LONG>(
        ::SendMessageA(history_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    CHARRANGE atEnd{end, end};
    ::SendMessageA(history_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&atEnd));
    const std::string terminated(text);
    ::SendMessageA(history_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(terminated.c_str()));
    ::SendMessageA(history_, EM_SCROLLCARET, 0, 0);
}

void ChatWindow::SetHistory(std::string_view text) {
    const std::string terminated(text);
    ::SendMessageA(history_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
}

std::string ChatWindow::History() const {
    const auto length = ::SendMessageA(history_, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const auto copied = ::SendMessageA(history_, WM_GETTEXT, text.size(),
                                       reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

void ChatWindow::BringToFront() {
    ::ShowWindow(window_, SW_RESTORE);
    ::SetForegroundWindow(window_);
}

void ChatWindow::ShowBehind() { ::ShowWindow(window_, SW_SHOWNOACTIVATE); }

std::string CurrentTimeText() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned{now.wHour}, unsigned{now.wMinute},
                  unsigned{now.wSecond});
    return text;
}

}  // namespace parlowen::demo
