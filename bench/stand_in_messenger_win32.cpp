// parlowen-stand-in-messenger: a messenger's chat window holding a long history, in a
// process of its own, for measuring what reading it costs the messenger.
//
// Usage: parlowen-stand-in-messenger <history bytes> [--chats <n>] [--every <ms>] [--capped]
//            [--tell-ready] [--show-line-requests]
//   Shows a chat window titled "与 moon 交谈中" whose RichEdit20A holds about that many
//   bytes of Chinese and ASCII messages (some of them long enough to wrap), brings it
//   to the front and answers requests until it is closed. With --chats, n chat windows
//   of that much history each, the others one-to-one and group chats behind it. With
//   --every, a new message is appended every <ms> milliseconds, to each window in turn;
//   with --capped, each one also drops the first
//   message, so the history keeps its length and, mostly, its row count. --tell-ready
//   prints "ready" once the window is in front; --show-line-requests prints to standard
//   error the buffer size the control is handed with each EM_GETLINE.
#include "demo_chat/chat_window_win32.h"
#include "win32/text_win32.h"

#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using parlowen::demo::ChatWindow;
using parlowen::win32::WideToAnsi;

constexpr wchar_t kTitle[] = L"与 moon 交谈中";
constexpr UINT_PTR kAppendTimer = 1;

// Bodies of various lengths and scripts; the long one wraps over several rows.
std::vector<std::string> Bodies() {
    const std::wstring sentence = L"今天晚上七点在校门口见，别忘了带上那本书。";
    std::wstring longLine;
    for (int i = 0; i < 8; ++i) longLine += sentence + L"Then we walk to the station together. ";
    return {WideToAnsi(L"你好！"),
            "ok",
            WideToAnsi(sentence),
            "see you at the gate, and bring the book please",
            WideToAnsi(L"好的\r\n明天见"),
            WideToAnsi(longLine)};
}

std::string Header(int index) {
    const char* sender = index % 2 ? "moon(10001)" : "sky";
    const int seconds = index % 86400;
    char time[16];
    std::snprintf(time, sizeof time, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return std::string(sender) + " " + time;
}

std::string Message(int index) {
    static const std::vector<std::string> bodies = Bodies();
    return Header(index) + "\r\n" + bodies[static_cast<std::size_t>(index * 7 % 11) % bodies.size()];
}

// The length in characters of the text, a line break counting as one, as the control
// counts positions.
LONG CharacterCount(HWND history) {
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<LONG>(::SendMessageW(history, EM_GETTEXTLENGTHEX,
                                            reinterpret_cast<WPARAM>(&length), 0));
}

// Appends at the end, as a messenger does, and leaves the caret there.
void Append(HWND history, const std::string& text) {
    const LONG end = CharacterCount(history);
    CHARRANGE atEnd{end, end};
    ::SendMessageA(history, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&atEnd));
    ::SendMessageA(history, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

// Drops the first message: its header row and the rows up to the next header.
void DropFirstMessage(HWND history) {
    const auto rows = static_cast<int>(::SendMessageA(history, EM_GETLINECOUNT, 0, 0));
    for (int row = 1; row < rows; ++row) {
        char line[512] = {};
        *reinterpret_cast<WORD*>(line) = sizeof line - 1;
        const auto length = ::SendMessageA(history, EM_GETLINE, row, reinterpret_cast<LPARAM>(line));
        const std::string text(line, static_cast<std::size_t>(length));
        if (text.find(':') == std::string::npos) continue;
        const auto start = static_cast<LONG>(::SendMessageA(history, EM_LINEINDEX, row, 0));
        CHARRANGE first{0, start};
        ::SendMessageA(history, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&first));
        ::SendMessageA(history, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
        const LONG end = CharacterCount(history);
        CHARRANGE atEnd{end, end};
        ::SendMessageA(history, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&atEnd));
        return;
    }
}

WNDPROC g_historyProc = nullptr;

// With --show-line-requests: what the history control is given for each EM_GETLINE.
LRESULT CALLBACK ShowLineRequests(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == EM_GETLINE) {
        const unsigned capacity = *reinterpret_cast<const WORD*>(lParam);
        const LRESULT answer = ::CallWindowProcA(g_historyProc, hwnd, message, wParam, lParam);
        std::fprintf(stderr, "EM_GETLINE row %u: capacity word %u, answer %ld\n", static_cast<unsigned>(wParam),
                     capacity, static_cast<long>(answer));
        return answer;
    }
    return ::CallWindowProcA(g_historyProc, hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::size_t historyBytes = 10 << 10;
    UINT everyMs = 0;
    bool capped = false;
    bool showLineRequests = false;
    bool tellReady = false;
    int chats = 1;
    for (int i = 1; i < __argc; ++i) {
        const std::string argument = __argv[i];
        if (argument == "--chats" && i + 1 < __argc) {
            chats = std::max(1, std::atoi(__argv[++i]));
        } else if (argument == "--every" && i + 1 < __argc) {
            everyMs = static_cast<UINT>(std::atoi(__argv[++i]));
        } else if (argument == "--show-line-requests") {
            showLineRequests = true;
        } else if (argument == "--tell-ready") {
            tellReady = true;
        } else if (argument == "--capped") {
            capped = true;
        } else {
            historyBytes = static_cast<std::size_t>(std::atoll(argument.c_str()));
        }
    }

    std::vector<std::unique_ptr<ChatWindow>> windows;
    int next = 0;
    for (int i = 0; i < chats; ++i) {
        const std::wstring title = i == 0 ? kTitle : i % 2 ? L"与 friend" + std::to_wstring(i) + L" 交谈中"
                                                             : L"同学群" + std::to_wstring(i);
        windows.push_back(std::make_unique<ChatWindow>(std::wstring_view(title)));
        std::string history;
        // Put in a piece at a time: the control takes one long text in a time that grows
        // with the square of its length (10 MB took five minutes).
        for (int first = next; history.size() < historyBytes;) {
            std::string piece;
            for (; piece.size() < (64u << 10) && history.size() + piece.size() < historyBytes; ++next)
                piece += (next > first ? "\r\n" : "") + Message(next);
            Append(windows.back()->history(), piece);
            history += piece;
        }
        ::SendMessageA(windows.back()->history(), EM_SCROLLCARET, 0, 0);
    }
    ChatWindow& chat = *windows.front();
    chat.BringToFront();
    if (tellReady) {
        std::printf("ready\n");
        std::fflush(stdout);
    }
    if (showLineRequests)
        g_historyProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            chat.history(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ShowLineRequests)));
    chat.onClose = [] { ::PostQuitMessage(0); };
    if (everyMs > 0) ::SetTimer(chat.hwnd(), kAppendTimer, everyMs, nullptr);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == chat.hwnd() && msg.wParam == kAppendTimer) {
            HWND history = windows[static_cast<std::size_t>(next) % windows.size()]->history();
            if (capped) DropFirstMessage(history);
            Append(history, "\r\n" + Message(next++));
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
