// Reading a messenger's chat history through the Win32 window services: small and
// large transcripts, GBK text byte for byte, windows that are missing or do not
// answer, and another process's window, which is how the program meets the messenger.
#include "capture/chat_text.h"
#include "capture/chat_histories_win32.h"
#include "capture/chat_windows_win32.h"
#include "text/blanks.h"
#include "e2e.h"
#include "program_win32.h"

#include "demo_chat/chat_window_win32.h"
#include "win32/text_win32.h"
#include "../random_transcripts.h"

#include <richedit.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace {

using namespace e2e;
using parlowen::capture::ChatHistoriesWin32;
using parlowen::capture::ChatWindowsWin32;
using parlowen::capture::GbkCharacterCount;
using parlowen::capture::ParseTranscript;
using parlowen::demo::ChatWindow;

// What the capture takes out of a transcript's last message: header, sender and body.
std::string Parsed(const std::string& transcript) {
    const auto messages = ParseTranscript(transcript, 0, {.group = true}).messages;
    if (messages.empty()) return "||";
    return messages.back().header + "|" + messages.back().sender + "|" + messages.back().body;
}

// The history of the window titled `title`, as the capture reads a chat it has not
// followed before.
std::string ReadHistory(ChatHistoriesWin32& histories, const std::string& title) {
    return histories.Read({{0, title, false}, {}}).history.text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

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

E2E_TEST(ChatWindowsReadsTheEndOfSmallAndLargeTranscripts) {
    ChatWindow chat(kChatTitle);
    for (std::size_t size : {std::size_t{1} << 10, std::size_t{3} << 20}) {
        ChatHistoriesWin32 histories;
        const std::string transcript = TranscriptOfSize(size);
        chat.SetHistory(transcript);
        const std::string read = ReadHistory(histories, kChatTitle);
        CHECK(EndsWith(transcript, read));
        CHECK(read.size() < 1200);  // a thousand characters at most
        CHECK_EQ(Parsed(read), std::string("moon 20:16:30|moon|the last one"));
        // Read again unchanged, it costs only the cheap test.
        CHECK(ReadHistory(histories, kChatTitle) == read);
        CHECK_EQ(histories.ReadCounts().tails, 1);
        CHECK_EQ(histories.ReadCounts().unchanged, 1);
    }
}

E2E_TEST(ChatWindowsReadsGbkTextByteForByte) {
    ChatWindow chat(kChatTitle);
    // Twice over, so that it needs more than the smallest buffer: the control's own
    // length answer counts characters, not bytes, under Wine.
    const std::string transcript =
        "\xD4\xC2\xC1\xC1 20:16:30\r\n" + AllChineseCharacters() + "\r\n" + AllChineseCharacters();
    chat.SetHistory(transcript);
    ChatHistoriesWin32 histories;
    const std::string read = ReadHistory(histories, kChatTitle);
    CHECK_EQ(read.size(), transcript.size());
    CHECK(read == transcript);
    // Its last message takes most of it: the end was read further back until it began.
    CHECK_EQ(histories.ReadCounts().tails, 1);
    CHECK(ChatWindowsWin32().AnsiToUnicode(kChatTitle) == u"\u4E0E \u6708\u4EAE \u4EA4\u8C08\u4E2D");
}

E2E_TEST(ChatWindowsReadsNothingWithoutAWindowOrItsHistory) {
    ChatHistoriesWin32 histories;
    ChatWindow chat(kChatTitle);
    chat.SetHistory("moon 20:16:30\r\nhi");
    CHECK_EQ(ReadHistory(histories, kChatTitle + " "), std::string());  // only exact titles
    CHECK_EQ(ReadHistory(histories, "no such window"), std::string());

    HWND plain = ::CreateWindowExA(0, "STATIC", "Chatting with moon", WS_OVERLAPPEDWINDOW, 0, 0,
                                   200, 100, nullptr, nullptr, nullptr, nullptr);
    REQUIRE(plain != nullptr);
    CHECK_EQ(ReadHistory(histories, "Chatting with moon"), std::string());
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

    ChatHistoriesWin32 histories;
    CHECK_EQ(ReadHistory(histories, HungMessenger::kTitle), std::string("moon 20:16:30\r\nhi"));
    ::SetEvent(messenger.hang);
    ::WaitForSingleObject(messenger.hanging, 10000);
    // The messenger never answers again until told to: that the read returns at all
    // shows that it gives up.
    const DWORD start = ::GetTickCount();
    CHECK_EQ(ReadHistory(histories, HungMessenger::kTitle), std::string());
    std::printf("    measured: gave up after %lu ms\n", ::GetTickCount() - start);

    ::WaitForSingleObject(thread, 20000);
    for (HANDLE handle : {thread, messenger.ready, messenger.hang, messenger.hanging}) ::CloseHandle(handle);
}

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

// The messenger's width as the program sees it, checked so that a pairing is never
// taken for granted.
unsigned ExpectedPointerBytes(const MessengerBuild& build) { return build.name.starts_with("64") ? 8 : 4; }

E2E_TEST(ChatWindowsReadsTheDemoChatInAnotherProcess) {
    for (const MessengerBuild& build : MessengerBuilds()) {
        Context pairing(build.name);
        DemoChat demo(build.exe);
        REQUIRE(demo.window() != nullptr);
        CHECK_EQ(PointerBytesOf(demo.process()), ExpectedPointerBytes(build));
        const std::string title = Ansi(L"与 moon 交谈中");
        HWND history = demo.history();
        REQUIRE(history != nullptr);
        ChatHistoriesWin32 histories;
        // The demo greets with a first message from the friend: one message, read whole.
        const std::string greeting = ReadHistory(histories, title);
        CHECK_EQ(greeting.substr(0, 5), std::string("moon "));
        CHECK(greeting.size() > std::string("moon hh:mm:ss\r\n").size());
        CHECK(greeting == ControlTextAnsi(history));

        // Sent the way a user does: type a line and press the friend's button.
        const std::string typed = "see you at the gate, " + Ansi(L"月亮");
        demo.Send(DemoChat::Sender::Friend, typed);
        const std::string read = ReadHistory(histories, title);
        const std::string whole = ControlTextAnsi(history);
        CHECK_EQ(whole.substr(0, greeting.size() + 7), greeting + "\r\nmoon ");
        CHECK(EndsWith(whole, read));
        CHECK(EndsWith(read, "\r\n" + typed));
        CHECK_EQ(Parsed(read), Parsed(whole));
        SaveScreenshot(demo.window(), L"demo-chat");

        // With a Chinese character at its start, a transcript too large for the first
        // buffer is what the messenger's control answers with 0 under Wine: its end is
        // read alone.
        const std::string more = "\r\n" + TranscriptOfSize(std::size_t{3} << 20);
        AppendFromOutside(history, more);
        const std::string readLarge = ReadHistory(histories, title);
        CHECK(EndsWith(more, readLarge));
        CHECK_EQ(Parsed(readLarge), std::string("moon 20:16:30|moon|the last one"));

        // A capped history drops its first message as a new one of the same size comes:
        // rows and length stay, and the new message is still read.
        const std::string first = whole.substr(0, whole.find("\r\nmoon ") + 2);
        const std::size_t firstBreaks = 2;  // header and body; a break is one position
        ::SendMessageA(history, EM_SETSEL, 0, static_cast<LPARAM>(GbkCharacterCount(first) - firstBreaks));
        ::SendMessageA(history, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
        AppendFromOutside(history, "\r\nsky 20:16:31\r\n" + std::string(first.size() - 17, 'x'));
        CHECK_EQ(Parsed(ReadHistory(histories, title)), "sky 20:16:31|sky|" + std::string(first.size() - 17, 'x'));
        // Every read took the end alone: no pairing falls back to the whole text.
        CHECK_EQ(histories.ReadCounts().wholeTexts, 0);
        CHECK_EQ(histories.ReadCounts().tails, 4);
    }
}

// The property the capture tick relies on, against the real RichEdit20A of another
// process of either width: whatever the transcript and however it wraps, what is read of
// its end parses exactly as its whole text, and the messenger lives through it all.
E2E_TEST(ChatWindowsTailParsesAsTheWholeTextForRandomTranscripts) {
    for (const MessengerBuild& build : MessengerBuilds()) {
        Context pairing(build.name);
        DemoChat demo(build.exe);
        REQUIRE(demo.window() != nullptr);
        const std::string title = Ansi(L"与 moon 交谈中");
        HWND history = demo.history();
        REQUIRE(history != nullptr);
        parlowen::testing::RandomTranscripts transcripts(20090106);
        constexpr int kTranscripts = 300;
        int tails = 0;
        for (int i = 0; i < kTranscripts; ++i) {
            const std::string transcript = transcripts.Next();
            ::SendMessageA(history, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(transcript.c_str()));
            ChatHistoriesWin32 histories;  // nothing read before
            const std::string read = ReadHistory(histories, title);
            const std::string whole = ControlTextAnsi(history);
            if (!EndsWith(whole, read) || Parsed(read) != Parsed(whole)) {
                Fail(__FILE__, __LINE__, "transcript " + std::to_string(i) + " " + Describe(transcript) +
                                             ": read " + Describe(read) + ", whole " + Describe(whole));
                break;
            }
            tails += histories.ReadCounts().tails;
        }
        // Most end in a message short enough to read the end alone; the rest were read whole.
        CHECK(tails > kTranscripts * 2 / 3);
        CHECK_EQ(::WaitForSingleObject(demo.process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
}

// A messenger whose chat window lives on a thread of this process that pumps its
// messages; `hook` sees each request to the history control first, and may answer it.
class ThreadMessenger {
public:
    using Hook = std::function<std::optional<LRESULT>(ChatWindow& chat, UINT message, LPARAM lParam)>;
    static constexpr char kTitle[] = "Chatting with a thread moon";

    ThreadMessenger(std::string history, Hook hook) : history_(std::move(history)), hook_(std::move(hook)) {
        thread_ = ::CreateThread(nullptr, 0, &ThreadMessenger::Run, this, 0, nullptr);
        ::WaitForSingleObject(ready_, 10000);
    }
    ~ThreadMessenger() {
        ::SetEvent(stop_);
        ::WaitForSingleObject(thread_, 20000);
        for (HANDLE handle : {thread_, ready_, stop_}) ::CloseHandle(handle);
    }

private:
    static DWORD WINAPI Run(void* parameter) {
        auto& self = *static_cast<ThreadMessenger*>(parameter);
        ChatWindow chat(kTitle);
        self.chat_ = &chat;
        chat.SetHistory(self.history_);
        ::SetPropW(chat.history(), L"ThreadMessenger", &self);
        self.original_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            chat.history(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ThreadMessenger::HistoryProc)));
        ::SetEvent(self.ready_);
        while (::MsgWaitForMultipleObjects(1, &self.stop_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        }
        ::RemovePropW(chat.history(), L"ThreadMessenger");
        ::SetWindowLongPtrA(chat.history(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self.original_));
        return 0;
    }
    static LRESULT CALLBACK HistoryProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto& self = *static_cast<ThreadMessenger*>(::GetPropW(hwnd, L"ThreadMessenger"));
        if (const std::optional<LRESULT> answer = self.hook_(*self.chat_, message, lParam)) return *answer;
        return ::CallWindowProcA(self.original_, hwnd, message, wParam, lParam);
    }

    std::string history_;
    Hook hook_;
    ChatWindow* chat_ = nullptr;
    WNDPROC original_ = nullptr;
    HANDLE ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread_ = nullptr;
};

// Where a request for a part of the text starts; the end is read from after the start.
LONG RangeStart(LPARAM lParam) { return reinterpret_cast<const TEXTRANGEA*>(lParam)->chrg.cpMin; }

E2E_TEST(ChatWindowsReadsTheWholeTextWhenPartsAreNotAnswered) {
    const std::string transcript = TranscriptOfSize(std::size_t{64} << 10);
    ThreadMessenger messenger(transcript, [](ChatWindow&, UINT message, LPARAM) -> std::optional<LRESULT> {
        if (message == EM_GETTEXTRANGE) return 0;
        return std::nullopt;
    });
    ChatHistoriesWin32 histories;
    CHECK(ReadHistory(histories, ThreadMessenger::kTitle) == transcript);
    CHECK(ReadHistory(histories, ThreadMessenger::kTitle) == transcript);
    CHECK_EQ(histories.ReadCounts().wholeTexts, 2);  // never trusted to be unchanged
    CHECK_EQ(histories.ReadCounts().tails, 0);
}

E2E_TEST(ChatWindowsReadsAHistoryThatGrowsWhileItIsRead) {
    int endReads = 0;
    ThreadMessenger messenger(TranscriptOfSize(std::size_t{64} << 10),
                              [&](ChatWindow& chat, UINT message, LPARAM lParam) -> std::optional<LRESULT> {
                                  // A message arrives while the end is read the first time.
                                  if (message == EM_GETTEXTRANGE && RangeStart(lParam) > 0 && ++endReads == 1)
                                      chat.AppendMessage("sky", "arrived while it was read", "20:17:00");
                                  return std::nullopt;
                              });
    ChatHistoriesWin32 histories;
    const std::string read = ReadHistory(histories, ThreadMessenger::kTitle);
    CHECK_EQ(Parsed(read), std::string("sky 20:17:00|sky|arrived while it was read"));
    CHECK_EQ(endReads, 2);
    CHECK_EQ(histories.ReadCounts().tails, 1);
}

E2E_TEST(ChatWindowsGivesUpOnAMessengerThatStopsAnsweringHalfwayThroughTheEnd) {
    bool hang = true;
    ThreadMessenger messenger(TranscriptOfSize(std::size_t{64} << 10),
                              [&](ChatWindow&, UINT message, LPARAM lParam) -> std::optional<LRESULT> {
                                  if (message == EM_GETTEXTRANGE && RangeStart(lParam) > 0 && std::exchange(hang, false))
                                      ::Sleep(3000);
                                  return std::nullopt;
                              });
    ChatHistoriesWin32 histories;
    const DWORD start = ::GetTickCount();
    CHECK_EQ(ReadHistory(histories, ThreadMessenger::kTitle), std::string());
    std::printf("    measured: gave up after %lu ms\n", ::GetTickCount() - start);
    CHECK_EQ(histories.ReadCounts().unanswered, 1);  // given up on, not waited for
    // Once it answers again, the next read is right.
    ::Sleep(1500);
    CHECK_EQ(Parsed(ReadHistory(histories, ThreadMessenger::kTitle)), std::string("moon 20:16:30|moon|the last one"));
}

}  // namespace
