// Reading a messenger's chat history through the Win32 window services: small and
// large transcripts, GBK text byte for byte, windows that are missing or do not
// answer, and another process's window, which is how the program meets the messenger.
#include "capture/chat_windows_win32.h"
#include "e2e.h"
#include "program_win32.h"

#include "demo_chat/chat_window_win32.h"
#include "win32/text_win32.h"

#include <richedit.h>

#include <string>

namespace {

using namespace e2e;
using parlowen::capture::ChatWindowsWin32;
using parlowen::demo::ChatWindow;

// "与 月亮 交谈中" in GBK.
const std::string kChatTitle = "\xD3\xEB \xD4\xC2\xC1\xC1 \xBD\xBB\xCC\xB8\xD6\xD0";

std::string Ansi(const std::wstring& text) { return parlowen::win32::WideToAnsi(text); }

// A transcript of about `size` bytes in the messenger's layout.
std::string TranscriptOfSize(std::size_t size) {
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "sky 20:15:" + std::to_string(10 + i % 50) + "\r\nmessage number " + std::to_string(i) + "\r\n";
    return text + "moon 20:16:30\r\nthe last one";
}

// Every character of the GB2312 rows of Chinese characters (lead bytes B0-F7), as GBK
// bytes, sixty to a line.
std::string AllChineseCharacters() {
    std::string text;
    int onLine = 0;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail > 0xF9) continue;  // unassigned in GB2312
            text += static_cast<char>(lead);
            text += static_cast<char>(trail);
            if (++onLine == 60) {
                text += "\r\n";
                onLine = 0;
            }
        }
    }
    return text;
}

E2E_TEST(ChatWindowsReadsSmallAndLargeTranscriptsInFull) {
    ChatWindow chat(kChatTitle);
    ChatWindowsWin32 windows;
    for (std::size_t size : {std::size_t{1} << 10, std::size_t{3} << 20}) {
        const std::string transcript = TranscriptOfSize(size);
        chat.SetHistory(transcript);
        const std::string read = windows.ReadHistory(kChatTitle);
        CHECK_EQ(read.size(), transcript.size());
        CHECK(read == transcript);
    }
}

E2E_TEST(ChatWindowsReadsGbkTextByteForByte) {
    ChatWindow chat(kChatTitle);
    // Twice over, so that it needs more than the smallest buffer: the control's own
    // length answer counts characters, not bytes, under Wine.
    const std::string transcript =
        "\xD4\xC2\xC1\xC1 20:16:30\r\n" + AllChineseCharacters() + "\r\n" + AllChineseCharacters();
    chat.SetHistory(transcript);
    ChatWindowsWin32 windows;
    const std::string read = windows.ReadHistory(kChatTitle);
    CHECK_EQ(read.size(), transcript.size());
    CHECK(read == transcript);
    CHECK(windows.AnsiToUnicode(kChatTitle) == u"\u4E0E \u6708\u4EAE \u4EA4\u8C08\u4E2D");
}

E2E_TEST(ChatWindowsReadsNothingWithoutAWindowOrItsHistory) {
    ChatWindowsWin32 windows;
    ChatWindow chat(kChatTitle);
    chat.SetHistory("moon 20:16:30\r\nhi");
    CHECK_EQ(windows.ReadHistory(kChatTitle + " "), std::string());  // only exact titles
    CHECK_EQ(windows.ReadHistory("no such window"), std::string());

    HWND plain = ::CreateWindowExA(0, "STATIC", "Chatting with moon", WS_OVERLAPPEDWINDOW, 0, 0,
                                   200, 100, nullptr, nullptr, nullptr, nullptr);
    REQUIRE(plain != nullptr);
    CHECK_EQ(windows.ReadHistory("Chatting with moon"), std::string());
    ::DestroyWindow(plain);
}

// A messenger whose chat window lives on a thread of its own, which answers until it is
// told to hang and then sleeps without pumping its messages.
struct HungMessenger {
    static constexpr char kTitle[] = "Chatting with a hung moon";
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE hang = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE hanging = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

    static DWORD WINAPI Run(void* parameter) {
        auto& self = *static_cast<HungMessenger*>(parameter);
        ChatWindow chat(kTitle);
        chat.SetHistory("moon 20:16:30\r\nhi");
        ::SetEvent(self.ready);
        while (::MsgWaitForMultipleObjects(1, &self.hang, FALSE, INFINITE, QS_ALLINPUT) !=
               WAIT_OBJECT_0) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        }
        ::SetEvent(self.hanging);
        ::Sleep(8000);
        return 0;
    }
};

E2E_TEST(ChatWindowsGivesUpOnAWindowThatDoesNotAnswer) {
    HungMessenger messenger;
    HANDLE thread = ::CreateThread(nullptr, 0, &HungMessenger::Run, &messenger, 0, nullptr);
    REQUIRE(thread != nullptr);
    ::WaitForSingleObject(messenger.ready, 10000);

    ChatWindowsWin32 windows;
    CHECK_EQ(windows.ReadHistory(HungMessenger::kTitle), std::string("moon 20:16:30\r\nhi"));
    ::SetEvent(messenger.hang);
    ::WaitForSingleObject(messenger.hanging, 10000);
    const DWORD start = ::GetTickCount();
    CHECK_EQ(windows.ReadHistory(HungMessenger::kTitle), std::string());
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed > 4000) Fail(__FILE__, __LINE__, "gave up only after " + std::to_string(elapsed) + " ms");

    ::WaitForSingleObject(thread, 20000);
    for (HANDLE handle : {thread, messenger.ready, messenger.hang, messenger.hanging}) ::CloseHandle(handle);
}

// The demo chat tool, started as a process of its own.
class DemoChat {
public:
    DemoChat() {
        const std::wstring exe = DriverFolder() + L"parlowen-demo-chat.exe";
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &info)) {
            ::CloseHandle(info.hThread);
            process_ = info.hProcess;
            ::WaitForInputIdle(process_, 15000);  // its controls are made by then
        }
        WaitUntil([&] { return (window_ = ::FindWindowW(nullptr, L"与 moon 交谈中")) != nullptr; },
                  15000);
    }
    ~DemoChat() {
        if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
        if (process_ && ::WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0)
            ::TerminateProcess(process_, 1);
        if (process_) ::CloseHandle(process_);
    }
    HWND window() const { return window_; }
    HANDLE process() const { return process_; }

private:
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
};

// Puts `text` at the end of another process's rich edit. Wine cannot carry a message of
// more than about a megabyte to another process, so it goes in pieces of whole lines.
void AppendFromOutside(HWND richEdit, const std::string& text) {
    constexpr std::size_t kPiece = 512 << 10;
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.size();
        if (end - begin > kPiece) end = text.rfind("\r\n", begin + kPiece) + 2;
        const std::string piece = text.substr(begin, end - begin);
        ::SendMessageA(richEdit, EM_SETSEL, -1, -1);
        ::SendMessageA(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
        begin = end;
    }
}

E2E_TEST(ChatWindowsReadsTheDemoChatInAnotherProcess) {
    DemoChat demo;
    REQUIRE(demo.window() != nullptr);
    const std::string title = Ansi(L"与 moon 交谈中");
    ChatWindowsWin32 windows;
    // The demo greets with a first message from the friend.
    const std::string greeting = windows.ReadHistory(title);
    CHECK_EQ(greeting.substr(0, 5), std::string("moon "));
    CHECK(greeting.size() > std::string("moon hh:mm:ss\r\n").size());

    // Sent the way a user does: type a line and press the friend's button.
    HWND input = ::GetDlgItem(demo.window(), 10);
    REQUIRE(input != nullptr);
    const std::string typed = "see you at the gate, " + Ansi(L"月亮");
    ::SendMessageA(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    ::SendMessageW(::GetDlgItem(demo.window(), 12), BM_CLICK, 0, 0);
    const std::string read = windows.ReadHistory(title);
    CHECK_EQ(read.substr(0, greeting.size() + 7), greeting + "\r\nmoon ");
    CHECK_EQ(read.size(), greeting.size() + std::string("\r\nmoon hh:mm:ss\r\n").size() + typed.size());
    CHECK_EQ(read.substr(read.size() - typed.size()), typed);
    SaveScreenshot(demo.window(), L"demo-chat");

    // With a Chinese character at its start, a transcript too large for the first buffer
    // is what the messenger's control answers with 0 under Wine.
    const std::string more = "\r\n" + TranscriptOfSize(std::size_t{3} << 20);
    AppendFromOutside(::FindWindowExA(demo.window(), nullptr, "RichEdit20A", nullptr), more);
    const std::string readLarge = windows.ReadHistory(title);
    CHECK_EQ(readLarge.size(), read.size() + more.size());
    CHECK(readLarge == read + more);
}

}  // namespace
