// parlowen-demo-chat: a one-to-one chat window with a friend "moon", for trying the
// program without a messenger. Type a line and send it as yourself ("sky") or as moon;
// the program, tracking this window, reads the new message aloud and logs it.
#include "chat_window_win32.h"

#include "win32/text_win32.h"

#include <exception>
#include <string>
#include <string_view>

namespace {

constexpr wchar_t kTitle[] = L"与 moon 交谈中";
constexpr char kMyNickname[] = "sky";
constexpr char kFriendsNickname[] = "moon";
constexpr int kInputId = 10;
constexpr int kSendAsMeId = 11;
constexpr int kSendAsFriendId = 12;
constexpr int kMargin = 8;
constexpr int kRowHeight = 24;

HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* windowClass, const wchar_t* text,
                 DWORD style, int id) {
    HWND child = ::CreateWindowExW(
        exStyle, windowClass, text,
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                   FALSE);
    return child;
}

// The typed line in the ANSI code page, as a messenger's history holds it.
std::string TakeInput(HWND input) {
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(input)) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(input, text.data(), static_cast<int>(text.size()))));
    ::SetWindowTextW(input, L"");
    return text;
}

int Run() {
    parlowen::demo::ChatWindow chat(kTitle);
    HWND window = chat.hwnd();
    HWND input = CreateChild(window, WS_EX_CLIENTEDGE, L"EDIT", L"", ES_AUTOHSCROLL, kInputId);
    HWND sendAsMe = CreateChild(window, 0, L"BUTTON", L"以我的身份发送", BS_PUSHBUTTON, kSendAsMeId);
    HWND sendAsFriend =
        CreateChild(window, 0, L"BUTTON", L"以 moon 的身份发送", BS_DEFPUSHBUTTON, kSendAsFriendId);

    chat.onResize = [=](int width, int height) {
        const int buttonWidth = (width - 3 * kMargin) / 2;
        const int inputTop = height - 2 * (kRowHeight + kMargin);
        const int buttonTop = height - kRowHeight - kMargin;
        ::MoveWindow(input, kMargin, inputTop, width - 2 * kMargin, kRowHeight, TRUE);
        ::MoveWindow(sendAsMe, kMargin, buttonTop, buttonWidth, kRowHeight, TRUE);
        ::MoveWindow(sendAsFriend, 2 * kMargin + buttonWidth, buttonTop, buttonWidth, kRowHeight,
                     TRUE);
    };
    chat.ReserveBottomBand(2 * (kRowHeight + kMargin) + kMargin);
    chat.onCommand = [&](int id) {
        if (id != kSendAsMeId && id != kSendAsFriendId) return;
        const std::string text = TakeInput(input);
        if (!text.empty()) chat.AppendMessage(id == kSendAsMeId ? kMyNickname : kFriendsNickname, text);
        ::SetFocus(input);
    };
    chat.onClose = [] { ::PostQuitMessage(0); };
    // A first message from the friend, so the program has something to read at once.
    chat.AppendMessage(kFriendsNickname, parlowen::win32::WideToAnsi(L"你好！在下面打字，再按一个发送按钮，就能听到它被朗读出来。"));
    ::SetFocus(input);

    parlowen::win32::RunMessageLoop(window);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        return Run();
    } catch (const std::exception& e) {
        ::MessageBoxA(nullptr, e.what(), "parlowen-demo-chat", MB_ICONERROR);
        return 1;
    }
}
