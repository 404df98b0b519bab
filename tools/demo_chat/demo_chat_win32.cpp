// parlowen-demo-chat: a one-to-one chat window with a friend "moon", for trying the
// program without a messenger. Type a line and send it as yourself ("sky") or as moon;
// the program, tracking this window, reads the new message aloud and logs it.
// With "/tour" it plays one exchange by itself (see Tour below).
#include "chat_window_win32.h"

#include "app/control_ids.h"
#include "win32/text_win32.h"

#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <optional>
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

bool AskedForTour() {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    bool tour = false;
    for (int i = 1; arguments != nullptr && i < count; ++i)
        tour = tour || ::lstrcmpiW(arguments[i], L"/tour") == 0;
    ::LocalFree(arguments);
    return tour;
}

// The first run without a display shows a newcomer the program at work: the demo sends a
// line as the user and then one as moon, far enough apart that each is read aloud in full,
// then restores Parlowen's window beside the chat and prints "demo-chat: tour done", the
// run script's sign to take its screenshot.
class Tour {
public:
    explicit Tour(parlowen::demo::ChatWindow& chat) : chat_(chat) {
        chat_.onTimer = [this](UINT_PTR) { Step(); };
        ::SetTimer(chat_.hwnd(), 1, kFirstStepMs, nullptr);
    }

private:
    // Parlowen tracks the chat within a tick or two of its coming to the front (and reads
    // out its greeting then); a message takes about three seconds to speak.
    static constexpr UINT kFirstStepMs = 4000;
    static constexpr UINT kStepMs = 6000;

    void Step() {
        switch (step_++) {
        case 0:
            chat_.BringToFront();
            chat_.AppendMessage(kMyNickname, parlowen::win32::WideToAnsi(L"我是 sky，这一句是我自己发的。"));
            break;
        case 1:
            chat_.AppendMessage(kFriendsNickname, parlowen::win32::WideToAnsi(L"收到！这是 moon 的回复。"));
            break;
        default:
            ::KillTimer(chat_.hwnd(), 1);
            PlaceBesideParlowen();
            std::printf("demo-chat: tour done\n");
            std::fflush(stdout);
            return;
        }
        ::SetTimer(chat_.hwnd(), 1, kStepMs, nullptr);
    }

    void PlaceBesideParlowen() {
        HWND parlowen = ::FindWindowW(parlowen::app::kMainWindowClass, parlowen::app::kMainWindowCaption);
        constexpr int kLeft = 40, kTop = 60, kGap = 24;
        int chatLeft = kLeft;
        if (parlowen != nullptr) {
            ::ShowWindow(parlowen, SW_RESTORE);
            ::SetWindowPos(parlowen, nullptr, kLeft, kTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            RECT frame;
            ::GetWindowRect(parlowen, &frame);
            chatLeft = frame.right + kGap;
        }
        ::SetWindowPos(chat_.hwnd(), nullptr, chatLeft, kTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }

    parlowen::demo::ChatWindow& chat_;
    int step_ = 0;
};

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
    std::optional<Tour> tour;
    if (AskedForTour()) tour.emplace(chat);

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
