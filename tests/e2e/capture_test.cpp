// The heart of the program: the driver plays the messenger with its own chat windows,
// and checks what the program said, with which voice, and what its log shows.
#include "app/hotkeys.h"
#include "capture/chat_tracking.h"
#include "demo_chat/chat_window_win32.h"
#include "win32/text_win32.h"
#include "e2e.h"
#include "program_win32.h"
#include "sapi_registration_win32.h"

#include <sapi.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

namespace {

using namespace e2e;
using namespace parlowen::app;
using parlowen::capture::ChatTracking;
using parlowen::demo::ChatWindow;
using parlowen::win32::Utf8ToWide;
using parlowen::win32::WideToAnsi;
using Calls = std::vector<std::vector<std::string>>;

// What the program asked the voices to say since `skip` earlier calls: "voice:text".
std::vector<std::string> SpokenSince(const Program& program, size_t skip, size_t* total = nullptr) {
    const Calls calls = SpeechCallsOf(program.processId());
    if (total) *total = calls.size();
    std::vector<std::string> spoken;
    for (size_t i = skip; i < calls.size(); ++i)
        if (calls[i].at(1) == "Speak") spoken.push_back(calls[i].at(0) + ":" + calls[i].at(3));
    return spoken;
}

std::string Utf8Of(const wchar_t* text) { return Utf8(text); }

// The texts of what SpokenSince lists, and the rate the voice object that said one was given.
std::string RateOf(const Program& program, const std::string& spoken) {
    std::string rate;
    for (const auto& call : SpeechCallsOf(program.processId()))
        if (call.at(0) == spoken.substr(0, spoken.find(':')) && call.at(1) == "put_Rate") rate = call.at(2);
    return rate;
}
std::vector<std::string> Texts(std::vector<std::string> spoken) {
    for (std::string& text : spoken) text.erase(0, text.find(':') + 1);
    return spoken;
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

int Occurrences(const std::wstring& text, const std::wstring& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The log's entries as ProbeLog shows them, without the selection.
std::wstring LogEntries(HWND main) {
    const std::wstring log = ProbeLog(main);
    return log.substr(std::min(log.size(), log.find(L'\n') + 1));
}

bool LogEquals(HWND main, const std::wstring& expected, DWORD timeoutMs = 6000) {
    return WaitUntil([&] { return ProbeLog(main) == expected; }, timeoutMs);
}

E2E_TEST(OneToOneChatSpeaksAndLogsEachNewMessageOnce) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One", L"Test Voice Two"});
    START_PROGRAM(program, main);
    size_t calls = 0;
    SpokenSince(program, 0, &calls);

    // The user brings a chat window to the front: its last message is the friend's.
    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    chat.SetHistory(WideToAnsi(L"sky 20:15:08\r\n你好\r\nmoon 20:16:30\r\n见到你很高兴\r\n明天见"));
    chat.BringToFront();
    const std::wstring firstEntry = L"0000ff moon 20:16:30 说：\\r\n000000 见到你很高兴\\r明天见\\r\n";
    // Nothing is selected; the log has no focus, so its caret waits at the end.
    CHECK(LogEquals(main, L"sel 28 28\n" + firstEntry));
    CHECK_EQ(SpokenSince(program, calls), (std::vector<std::string>{"voice3:" + Utf8Of(L"moon说：见到你很高兴\r\n明天见")}));

    // The user answers: mine, in green, spoken with the mine profile.
    chat.AppendMessage("sky", WideToAnsi(L"我也是"), "20:17:02");
    const std::wstring secondEntry = L"008000 sky 20:17:02 说：\\r\n000000 我也是\\r\n";
    CHECK(LogEquals(main, L"sel 48 48\n" + firstEntry + secondEntry));
    CHECK_EQ(SpokenSince(program, calls),
             (std::vector<std::string>{"voice3:" + Utf8Of(L"moon说：见到你很高兴\r\n明天见"),
                                       "voice4:" + Utf8Of(L"sky说：我也是")}));

    // A later message with the same header line is a message of its own.
    chat.AppendMessage("sky", WideToAnsi(L"还在吗"), "20:17:02");
    const std::wstring thirdEntry = L"008000 sky 20:17:02 说：\\r\n000000 还在吗\\r\n";
    CHECK(WaitUntil([&] { return LogEntries(main) == firstEntry + secondEntry + thirdEntry; }, 6000));

    // Three messages between two reads: each logged in order in its colour, and each
    // speaker's spoken in order as one utterance.
    size_t before = 0;
    SpokenSince(program, 0, &before);
    chat.AppendMessage("moon", "one", "20:18:00");
    chat.AppendMessage("sky", "two", "20:18:01");
    chat.AppendMessage("moon", "three", "20:18:02");
    const std::wstring burst = L"0000ff moon 20:18:00 说：\\r\n000000 one\\r\n"
                               L"008000 sky 20:18:01 说：\\r\n000000 two\\r\n"
                               L"0000ff moon 20:18:02 说：\\r\n000000 three\\r\n";
    CHECK(WaitUntil([&] { return LogEntries(main) == firstEntry + secondEntry + thirdEntry + burst; }, 6000));
    CHECK(WaitUntil([&] { return SpokenSince(program, before).size() == 2; }, 3000));
    // Each utterance goes to a voice object of its own profile, renewed as it cuts the last.
    const std::vector<std::string> spoken = SpokenSince(program, before);
    REQUIRE(spoken.size() == 2);
    CHECK(spoken[0].ends_with(":" + Utf8Of(L"sky说：two")));
    CHECK(spoken[1].ends_with(":" + Utf8Of(L"moon说：one\r\nmoon说：three")));

    // The chat window moves aside so that the screenshot shows the whole log.
    ::SetWindowPos(chat.hwnd(), nullptr, 0, 420, 340, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, WM_LBUTTONUP);
    WaitUntil([&] { return Shown(main); }, 5000);
    // Brought back, the window gives the log the keyboard, and its caret stands at the
    // start of the last body.
    CHECK(WaitUntil([&] { return ::GetForegroundWindow() == main; }, 3000));
    CHECK(WaitUntil([&] { return ProbeLog(main).starts_with(L"sel 126 126\n"); }, 3000));
    Pump(3500);  // until the start-up balloon is gone
    SaveScreenshot(nullptr, L"log-with-entries");
    CHECK_EQ(program.Close(), 0ul);
}

// What once silenced a chat or repeated it: a time with seconds inside a message, a
// picture-only message (a blank body under Wine), and the chat window's title changing
// while it is followed, and changing back. Each message is logged once, in its colour.
E2E_TEST(ATimeInAMessageAPictureAndATitleChangeLoseAndRepeatNothing) {
    START_PROGRAM(program, main);
    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    chat.SetHistory(WideToAnsi(L"moon 20:16:30\r\n你好"));
    chat.BringToFront();
    std::wstring entries = L"0000ff moon 20:16:30 说：\\r\n000000 你好\\r\n";
    CHECK(WaitUntil([&] { return LogEntries(main) == entries; }, 6000));

    chat.AppendMessage("moon", WideToAnsi(L"明天 10:00:00 开会"), "20:16:40");
    chat.AppendMessage("sky", " ", "20:16:50");
    chat.AppendMessage("sky", WideToAnsi(L"好的"), "20:17:00");
    entries += L"0000ff moon 20:16:40 说：\\r\n000000 明天 10:00:00 开会\\r\n"
               L"008000 sky 20:17:00 说：\\r\n000000 好的\\r\n";
    CHECK(WaitUntil([&] { return LogEntries(main) == entries; }, 6000));

    // The messenger shows that moon is typing in the title, then takes it back.
    ::SetWindowTextW(chat.hwnd(), L"moon 正在输入… - 与 moon 交谈中");
    Pump(1500);  // a tracking tick sees the new title
    chat.AppendMessage("moon", "ok", "20:17:10");
    entries += L"0000ff moon 20:17:10 说：\\r\n000000 ok\\r\n";
    CHECK(WaitUntil([&] { return LogEntries(main) == entries; }, 6000));
    ::SetWindowTextW(chat.hwnd(), L"与 moon 交谈中");
    Pump(2500);  // tracking and capture ticks under the old title again
    chat.AppendMessage("sky", "bye", "20:17:20");
    entries += L"008000 sky 20:17:20 说：\\r\n000000 bye\\r\n";
    CHECK(WaitUntil([&] { return LogEntries(main) == entries; }, 6000));
    Pump(1500);
    CHECK(LogEntries(main) == entries);

    ::SetWindowPos(chat.hwnd(), nullptr, 0, 420, 340, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, WM_LBUTTONUP);
    WaitUntil([&] { return Shown(main); }, 5000);
    Pump(3500);  // until the start-up balloon is gone
    SaveScreenshot(nullptr, L"log-time-picture-title");
    CHECK_EQ(program.Close(), 0ul);
}

// The messenger runs in a process of its own, 32-bit or 64-bit: each new message of
// either is logged once, in its speaker's colour.
E2E_TEST(MessengersOfEitherWidthAreFollowedAndEachMessageLoggedOnce) {
    START_PROGRAM(program, main);
    for (const MessengerBuild& build : MessengerBuilds()) {
        Context pairing(build.name);
        DemoChat demo(build.exe);
        REQUIRE(demo.window() != nullptr);
        demo.BringToFront();
        // The program follows the new window first: a window's first read gives its last
        // message alone, and a slow messenger may be read for the first time only after
        // both messages below came.
        const std::string hello = "hello from the " + build.name;
        demo.Send(DemoChat::Sender::Friend, hello);
        CHECK(WaitUntil([&] { return ProbeLog(main).find(L"000000 " + Wide(hello)) != std::wstring::npos; }, 20000));
        const std::string mine = "mine from the " + build.name, friends = "from moon's " + build.name;
        demo.Send(DemoChat::Sender::Me, mine);
        CHECK(WaitUntil([&] { return ProbeLog(main).find(L"000000 " + Wide(mine)) != std::wstring::npos; }, 8000));
        demo.Send(DemoChat::Sender::Friend, friends);
        CHECK(WaitUntil([&] { return ProbeLog(main).find(L"000000 " + Wide(friends)) != std::wstring::npos; }, 8000));
        // The friend's message came a tick or more later: the user's was not logged again.
        const std::wstring log = ProbeLog(main);
        CHECK_EQ(Occurrences(log, L"000000 " + Wide(mine) + L"\\r\n"), 1);
        CHECK_EQ(Occurrences(log, L"000000 " + Wide(friends) + L"\\r\n"), 1);
        CHECK(log.find(L"008000 sky ") != std::wstring::npos);
        CHECK(log.rfind(L"0000ff moon ") > log.find(Wide(mine)));
    }
    CHECK_EQ(program.Close(), 0ul);
}

// A message is only ever read aloud: SAPI is told the text is no markup, and no control
// character reaches it, so neither markup nor a command can change how it is said. The
// rule that drops symbols is off, so that the markup reaches the voice as the chat has it.
E2E_TEST(MarkupAndControlCharactersInAMessageAreReadNotObeyed) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    ::CreateDirectoryW(SettingsFolder().c_str(), nullptr);
    std::ofstream(SettingsPath().c_str(), std::ios::binary) << "[set]\r\nspeaksymbols=0\r\n";
    START_PROGRAM(program, main);
    size_t calls = 0;
    SpokenSince(program, 0, &calls);
    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    const std::string markup = "<volume level=\"100\"><rate absspeed=\"10\">loud</rate> <silence msec=\"5000\"/>";
    chat.SetHistory("moon 20:16:30\r\n" + markup + "\x01" "300A\x7F" "end\tof it");
    chat.BringToFront();
    REQUIRE(WaitUntil([&] { return SpokenSince(program, calls).size() == 1; }, 6000));
    const Calls spoken = SpeechCallsOf(program.processId());
    const auto speak = std::find_if(spoken.rbegin(), spoken.rend(), [](const auto& call) { return call.at(1) == "Speak"; });
    REQUIRE(speak != spoken.rend());
    CHECK_EQ(speak->at(2), std::to_string(SVSFlagsAsync | SVSFIsNotXML));
    CHECK_EQ(speak->at(3), Utf8Of(L"moon说：") + markup + " 300A end\tof it");
    CHECK_EQ(program.Close(), 0ul);
}

// With only the chat last in front read, as the user can choose on the page "聊天窗口".
E2E_TEST(GroupAndEnglishTitlesAndWindowsWithoutAMarker) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    ::CreateDirectoryW(SettingsFolder().c_str(), nullptr);
    std::ofstream(SettingsPath().c_str(), std::ios::binary) << "[set]\r\neverychat=0\r\n";
    START_PROGRAM(program, main);
    size_t calls = 0;
    SpokenSince(program, 0, &calls);

    // A window without any marker is never followed, even with a history control.
    ChatWindow other(std::wstring_view(L"记事本 - moon"));
    other.SetHistory("moon 20:00:00\r\nnot a chat");
    other.BringToFront();
    // No chat window has been seen, so nothing is read: two trackings and the capture
    // ticks after them pass without a read.
    CHECK(WaitForTicks(main, {.captureTicks = 3, .trackingTicks = 2}));
    CHECK(SpokenSince(program, calls).empty());

    // In a group chat no sender's name is in the title: anyone but the user is a member,
    // logged and spoken as the friend's messages are.
    ChatWindow group(std::wstring_view(L"技术交流群"));
    group.SetHistory("moon 21:00:00\r\nhello group");
    group.BringToFront();
    CHECK(LogEquals(main, L"sel 29 29\n0000ff moon 21:00:00 说：\\r\n000000 hello group\\r\n"));

    // An English one-to-one window: the sender in the title is the friend.
    ChatWindow english(std::wstring_view(L"Chatting with moon"));
    english.SetHistory("moon 21:05:00\r\nhi from the english client");
    english.BringToFront();
    CHECK(WaitUntil([&] { return SpokenSince(program, calls).size() == 2; }, 6000));
    const std::vector<std::string> spoken = SpokenSince(program, calls);
    REQUIRE(spoken.size() == 2);
    CHECK(spoken[0].ends_with(":" + Utf8Of(L"moon说：hello group")));
    // The friend profile's own voice object, made anew for the utterance (the member before it
    // spoke on the one the start-up made, waiting its turn instead of cutting it off).
    CHECK_EQ(spoken[1], "voice3:" + Utf8Of(L"moon说：hi from the english client"));
    CHECK(ProbeLog(main).find(L"0000ff moon 21:05:00 说：\\r\n000000 hi from the english client\\r\n") !=
          std::wstring::npos);

    // Back to the group window: nothing is repeated. What came in the English window
    // meanwhile is handled once that comes back to the front.
    group.BringToFront();
    // A tracking tick that looked at the foreground before the group window came there
    // may still end after this point: the second one surely saw it.
    REQUIRE(WaitUntil([&] { return ::GetForegroundWindow() == group.hwnd(); }, 3000));
    REQUIRE(WaitForTicks(main, {.trackingTicks = 2}));
    english.AppendMessage("moon", "while you were away", "21:06:00");
    REQUIRE(WaitForTicks(main, {.readsTaken = 2}));
    CHECK_EQ(SpokenSince(program, calls).size(), 2u);
    english.BringToFront();
    CHECK(WaitUntil([&] { return SpokenSince(program, calls).size() == 3; }, 6000));
    CHECK(SpokenSince(program, calls).back().ends_with(":" + Utf8Of(L"moon说：while you were away")));
    CHECK_EQ(Occurrences(ProbeLog(main), L"hello group"), 1);
    // The chats move aside so that the screenshot shows the whole log.
    for (const ChatWindow* chat : {&other, &group, &english})
        ::SetWindowPos(chat->hwnd(), nullptr, chat == &other ? 680 : 0, 420, 340, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, WM_LBUTTONUP);
    WaitUntil([&] { return ::GetForegroundWindow() == main; }, 5000);
    Pump(3500);  // until the window has painted itself and the start-up balloon is gone
    SaveScreenshot(nullptr, L"log-group-member");
    CHECK_EQ(program.Close(), 0ul);
}

// The pitch a member's utterance is marked up with; 0 for none.
int PitchOf(const std::string& spoken) {
    const std::string mark = "<pitch absmiddle=\"";
    const size_t at = spoken.find(mark);
    return at == std::string::npos ? 0 : std::atoi(spoken.c_str() + at + mark.size());
}

// What was said of `text`, or "" when nothing was.
std::string SpokenWith(const Program& program, size_t skip, const wchar_t* text) {
    for (const std::string& spoken : SpokenSince(program, skip))
        if (spoken.find(Utf8Of(text)) != std::string::npos) return spoken;
    return {};
}

// Selects a row of the group chats page's member list, as the arrow keys do.
void SelectMemberRow(HWND page, int row) {
    HWND list = ::GetDlgItem(page, IdMemberList);
    PressKey(list, VK_HOME);
    for (int i = 0; i < row; ++i) PressKey(list, VK_DOWN);
    Pump(300);
}

// The user's nickname learned in a one-to-one chat makes the user's group messages the
// user's, also where the group writes a number after each name; each member, known by
// that number, speaks at a pitch of its own; what the user set on the group chats
// page (a member's voice, a mute) wins and is still there after a restart.
E2E_TEST(GroupMembersSpeakInVoicesOfTheirOwnAndTheUsersChoicesLast) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    ChatWindow group(std::wstring_view(L"快乐一家群"));
    {
        START_PROGRAM(program, main);
        ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
        chat.SetHistory("sky 20:00:00\r\nhi\r\nmoon 20:00:05\r\nhello\r\nsky 20:00:10\r\nfine");
        chat.BringToFront();
        REQUIRE(WaitUntil([&] { return ProbeLog(main).find(L"fine") != std::wstring::npos; }, 6000));

        group.SetHistory("dad(10001) 19:00:00\r\ndinner");  // numbers after the names, as the messenger writes them
        group.BringToFront();
        REQUIRE(WaitUntil([&] { return ProbeLog(main).find(L"dinner") != std::wstring::npos; }, 6000));
        size_t calls = 0;
        SpokenSince(program, 0, &calls);
        group.AppendMessage("mum(10002)", "soup", "19:00:05");
        group.AppendMessage("bro(10003)", "bread", "19:00:06");
        group.AppendMessage("sky(88888)", "coming", "19:00:07");
        REQUIRE(WaitUntil([&] { return ProbeLog(main).find(L"coming") != std::wstring::npos; }, 6000));
        CHECK(ProbeLog(main).find(L"008000 sky(88888) 19:00:07 说：\\r\n000000 coming") != std::wstring::npos);
        CHECK(ProbeLog(main).find(L"0000ff mum(10002) 19:00:05 说：") != std::wstring::npos);
        CHECK(SpokenWith(program, calls, L"soup").find("10002") == std::string::npos);  // no number said
        REQUIRE(WaitUntil([&] { return !SpokenWith(program, calls, L"bread").empty(); }, 6000));
        const int mumPitch = PitchOf(SpokenWith(program, calls, L"soup"));
        const int broPitch = PitchOf(SpokenWith(program, calls, L"bread"));
        CHECK(mumPitch != broPitch);
        CHECK(SpokenWith(program, calls, L"coming").find("<pitch") == std::string::npos);  // the mine profile

        // The page lists the members by name: bro, dad, mum. Mute dad; give mum the
        // voice box's last entry, the highest pitch.
        ShowOptionsPage(main);
        PressKey(Notebook(main), VK_RIGHT);
        HWND page = Page(main, IdTabSheet3);
        REQUIRE(WaitUntil([&] { return ::IsWindowVisible(page) != FALSE; }, 5000));
        CHECK(ControlText(::GetDlgItem(page, IdNicknames)).find(L"sky") != std::wstring::npos);
        HWND mute = ::GetDlgItem(page, IdMemberMute), voice = ::GetDlgItem(page, IdMemberVoice);
        SelectMemberRow(page, 1);
        REQUIRE(WaitUntil([&] { return ::IsWindowEnabled(mute) != FALSE; }, 3000));
        ::SendMessageW(mute, BM_SETCHECK, BST_CHECKED, 0);
        ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(IdMemberMute, BN_CLICKED), reinterpret_cast<LPARAM>(mute));
        SelectMemberRow(page, 2);
        REQUIRE(WaitUntil([&] { return ::SendMessageW(mute, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 3000));
        const LRESULT entries = ::SendMessageW(voice, CB_GETCOUNT, 0, 0);
        CHECK_EQ(entries, 4);  // one voice at four pitches
        ::SendMessageW(voice, CB_SETCURSEL, entries - 1, 0);
        ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(IdMemberVoice, CBN_SELCHANGE), reinterpret_cast<LPARAM>(voice));
        for (const ChatWindow* window : {&chat, &group})
            ::SetWindowPos(window->hwnd(), nullptr, 680, 0, 340, 300, SWP_NOZORDER | SWP_NOACTIVATE);
        Pump(3500);  // until the page has painted itself and the start-up balloon is gone
        SaveScreenshot(nullptr, L"group-chat-page");

        group.BringToFront();
        REQUIRE(WaitUntil([&] { return ::GetForegroundWindow() == group.hwnd(); }, 3000));
        SpokenSince(program, 0, &calls);
        group.AppendMessage("dad(10001)", "quiet please", "19:01:00");
        group.AppendMessage("mum(10002)", "loud and clear", "19:01:05");
        REQUIRE(WaitUntil([&] { return !SpokenWith(program, calls, L"loud and clear").empty(); }, 6000));
        CHECK_EQ(PitchOf(SpokenWith(program, calls, L"loud and clear")), 10);
        CHECK(SpokenWith(program, calls, L"quiet please").empty());
        CHECK(ProbeLog(main).find(L"quiet please") != std::wstring::npos);  // logged all the same
        CHECK_EQ(program.Close(), 0ul);
    }
    // After a restart: dad is still muted, mum still at the highest pitch, sky still the user.
    START_PROGRAM(program, main);
    group.BringToFront();
    REQUIRE(WaitForTicks(main, {.readsTaken = 2}));
    size_t calls = 0;
    SpokenSince(program, 0, &calls);
    group.AppendMessage("dad(10001)", "still quiet", "19:02:00");
    REQUIRE(WaitUntil([&] { return ProbeLog(main).find(L"still quiet") != std::wstring::npos; }, 6000));
    group.AppendMessage("mama(10002)", "still loud", "19:02:05");  // renamed, known by the number
    group.AppendMessage("sky(88888)", "me again", "19:02:06");
    REQUIRE(WaitUntil([&] { return !SpokenWith(program, calls, L"still loud").empty(); }, 6000));
    CHECK_EQ(PitchOf(SpokenWith(program, calls, L"still loud")), 10);
    CHECK(SpokenWith(program, calls, L"still quiet").empty());
    REQUIRE(WaitUntil([&] { return ProbeLog(main).find(L"me again") != std::wstring::npos; }, 6000));
    CHECK(ProbeLog(main).find(L"008000 sky(88888) 19:02:06 说：") != std::wstring::npos);
    CHECK_EQ(program.Close(), 0ul);
}

// A link is said as the word and its site, and a long paste for about half a minute with
// how much more there is; the log keeps both as the chat showed them.
E2E_TEST(ALinkAndALongPasteAreSaidShortAndLoggedWhole) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    START_PROGRAM(program, main);
    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    chat.SetHistory("moon 10:00:00\r\nhi");
    chat.BringToFront();
    REQUIRE(WaitUntil([&] { return ProbeLog(main).find(L"hi") != std::wstring::npos; }, 6000));
    size_t calls = 0;
    SpokenSince(program, 0, &calls);
    const std::string link = "https://www.example.com/" + std::string(110, 'a') + "?id=1";
    chat.AppendMessage("moon", WideToAnsi(L"看这个 ") + link, "10:00:01");
    REQUIRE(WaitUntil([&] { return !SpokenWith(program, calls, L"example.com").empty(); }, 6000));
    const std::string linkSaid = SpokenWith(program, calls, L"example.com");
    PrintFigure("link message said, characters", static_cast<double>(Utf8ToWide(linkSaid).size()), "");
    CHECK(linkSaid.find(Utf8Of(L"链接 example.com")) != std::string::npos);
    CHECK(linkSaid.find("https") == std::string::npos);

    std::wstring paste;
    while (paste.size() < 3000) paste += L"今天的会议改到下午三点，请大家准时参加。";
    chat.AppendMessage("moon", WideToAnsi(paste), "10:00:02");
    REQUIRE(WaitUntil([&] { return !SpokenWith(program, calls, L"字").empty(); }, 6000));
    const std::wstring pasteSaid = Utf8ToWide(SpokenWith(program, calls, L"字"));
    PrintFigure("3,000-character paste said, characters", static_cast<double>(pasteSaid.size()), "");
    // About half a minute: the name, up to 83 characters at the normal rate, and how many more.
    CHECK(pasteSaid.size() < 110);
    CHECK(pasteSaid.find(L"，后面还有") != std::wstring::npos);
    const std::wstring log = ProbeLog(main);
    CHECK(log.find(Utf8ToWide(link)) != std::wstring::npos);
    CHECK(log.find(paste.substr(2900)) != std::wstring::npos);
    CHECK_EQ(program.Close(), 0ul);
}

// How many pixels of the window's client area have a clear colour, not a grey, as the
// screen shows them; -1 when there is no such window.
int ColouredPixels(HWND window) {
    RECT area;
    if (!window || !::GetClientRect(window, &area)) return -1;
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    HDC screen = ::GetDC(nullptr);
    int coloured = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const COLORREF pixel = ::GetPixel(screen, x, y);
            const int r = GetRValue(pixel), g = GetGValue(pixel), b = GetBValue(pixel);
            if (std::max({r, g, b}) - std::min({r, g, b}) > 32) ++coloured;  // edges blend a little colour
        }
    ::ReleaseDC(nullptr, screen);
    return coloured;
}

// The start-up report of something the user has to mend: waited for and dismissed; the
// main window once start-up is over.
HWND DismissStartUpReport(Program& program, const wchar_t* expected) {
    HWND box = WaitForMessageBox(L"Parlowen2009", 15000);
    if (!box) return nullptr;
    const std::wstring text = MessageBoxText(box);
    if (text.find(expected) == std::wstring::npos) ::e2e::Fail(__FILE__, __LINE__, "the report says " + Utf8(text));
    CHECK(DismissMessageBox(box));
    HWND main = program.MainWindow();
    return main && WaitUntil([&] { return ::IsIconic(main) != FALSE; }, 5000) ? main : nullptr;
}

// The list written by hand (UTF-8 without a mark, as Notepad saves it, with Unix line
// ends) and then on the page: what is said changes, the log never does.
E2E_TEST(TheUsersOwnWordsAreSaidAndALineToMendIsReportedByItsNumber) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    ::CreateDirectoryW(SettingsFolder().c_str(), nullptr);
    const std::wstring file = SettingsFolder() + L"\\replacements.txt";
    std::ofstream(file.c_str(), std::ios::binary) << Utf8Of(L"gg = 好局\n没有等号\nyyds = 永远的神\n");
    Program program;
    program.Start();
    HWND main = DismissStartUpReport(program, L"第2行：没有“=”");
    REQUIRE(main != nullptr);
    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    chat.SetHistory("moon 10:00:00\r\ngg, yyds");
    chat.BringToFront();
    REQUIRE(WaitUntil([&] { return !SpokenWith(program, 0, L"好局").empty(); }, 6000));
    CHECK(SpokenWith(program, 0, L"好局").find(Utf8Of(L"好局, 永远的神")) != std::string::npos);
    CHECK(ProbeLog(main).find(L"gg, yyds") != std::wstring::npos);

    ShowOptionsPage(main);
    PressKey(Notebook(main), VK_RIGHT);
    HWND page = Page(main, IdTabSheet3);
    REQUIRE(WaitUntil([&] { return ::IsWindowVisible(page) != FALSE; }, 5000));
    HWND list = ::GetDlgItem(page, IdReplacements);
    CHECK(ControlText(list).find(L"yyds = 永远的神\r\n") != std::wstring::npos);
    ::SendMessageW(list, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"gg = 再来一局"));
    ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(IdApplyReplacements, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, IdApplyReplacements)));
    ::SetWindowPos(chat.hwnd(), nullptr, 680, 0, 340, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(2500);  // until the page has painted itself and the start-up balloon is gone
    CHECK(WaitForMessageBox(L"Parlowen2009", 500) == nullptr);
    SaveScreenshot(nullptr, L"speaking-page");
    std::ifstream written(file.c_str(), std::ios::binary);
    CHECK_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "\xEF\xBB\xBF" + Utf8Of(L"gg = 再来一局"));

    chat.BringToFront();
    size_t calls = 0;
    SpokenSince(program, 0, &calls);
    chat.AppendMessage("moon", "gg", "10:00:01");
    CHECK(WaitUntil([&] { return !SpokenWith(program, calls, L"再来一局").empty(); }, 6000));

    // Edited by hand while the program runs: read again, a line the chat's code page
    // cannot hold (an emoji, which would turn into "?") told and passed over.
    std::ofstream(file.c_str(), std::ios::binary | std::ios::trunc) << Utf8Of(L"gg = 打得好\r\n\U0001F600 = 笑脸\r\n");
    HWND box = WaitForMessageBox(L"Parlowen2009", 6000);
    REQUIRE(box != nullptr);
    CHECK(MessageBoxText(box).find(L"第2行：有系统字符集（GBK）里没有的字") != std::wstring::npos);
    CHECK(DismissMessageBox(box));
    CHECK(WaitUntil([&] { return ControlText(list).find(L"gg = 打得好") != std::wstring::npos; }, 3000));
    chat.BringToFront();
    chat.AppendMessage("moon", "gg?", "10:00:02");
    CHECK(WaitUntil([&] { return !SpokenWith(program, calls, L"打得好?").empty(); }, 6000));
    CHECK(SpokenWith(program, calls, L"笑脸").empty());
    CHECK_EQ(program.Close(), 0ul);
}

// Another program holds the stop hotkey: reported once, and the pause hotkey works. While
// paused, messages are logged and not said; resumed (here by the launcher's command, as
// a Linux desktop's key runs it), only the messages after it are said. Pausing and
// resuming are said in the user's own voice, unless the user switched that off.
E2E_TEST(PausedReadingLogsMessagesAndSaysOnlyThoseAfterItResumes) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    struct HeldByAnotherProgram {
        const BOOL held = ::RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'S');
        ~HeldByAnotherProgram() { ::UnregisterHotKey(nullptr, 1); }
    } stopKey;
    REQUIRE(stopKey.held);
    ::CreateDirectoryW(SettingsFolder().c_str(), nullptr);
    std::ofstream(SettingsPath().c_str(), std::ios::binary) << "[set]\r\nRate=3\r\n";  // the user's own voice
    Program program;
    program.Start();
    HWND main = DismissStartUpReport(program, L"Ctrl+Alt+S 已被其他程序占用");
    REQUIRE(main != nullptr);
    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    ::SetWindowPos(chat.hwnd(), nullptr, 680, 0, 340, 300, SWP_NOZORDER | SWP_NOACTIVATE);  // off the tray
    chat.SetHistory("moon 10:00:00\r\nhi");
    chat.BringToFront();
    REQUIRE(WaitUntil([&] { return !SpokenWith(program, 0, L"hi").empty(); }, 6000));
    REQUIRE(WaitUntil([&] { return ::GetForegroundWindow() == chat.hwnd(); }, 3000));

    // Wine shows the notification area as a window of its own when the desktop has none.
    HWND tray = ::FindWindowW(nullptr, L"Wine System Tray");
    const int colouredBefore = ColouredPixels(tray);
    PrintFigure("coloured pixels of the tray before pausing", colouredBefore, "");
    CHECK(colouredBefore > 0);
    size_t calls = 0;
    SpokenSince(program, 0, &calls);
    PressWithCtrlAlt('P');  // in the chat window
    CHECK(WaitUntil([&] { return !SpokenSince(program, calls).empty(); }, 3000));
    CHECK_EQ(Texts(SpokenSince(program, calls)), (std::vector<std::string>{Utf8Of(L"暂停朗读")}));
    CHECK_EQ(RateOf(program, SpokenSince(program, calls).at(0)), std::string("3"));
    CHECK(ProbeTrayMenu(main).find(L"0 C 暂停朗读\n") != std::wstring::npos);
    CHECK(WaitUntil([&] { return ColouredPixels(tray) == 0; }, 3000));  // the icon is greyed
    SaveScreenshot(tray, L"paused-tray-icon");
    chat.BringToFront();
    SpokenSince(program, 0, &calls);
    chat.AppendMessage("moon", "while paused", "10:00:01");
    REQUIRE(WaitUntil([&] { return ProbeLog(main).find(L"while paused") != std::wstring::npos; }, 6000));
    Pump(1500);
    CHECK(SpokenSince(program, calls).empty());

    CHECK_EQ(RunToEnd(DriverFolder() + L"parlowen.exe", L"--pause"), 0ul);
    CHECK(WaitUntil([&] { return ProbeTrayMenu(main).find(L"0 - 暂停朗读\n") != std::wstring::npos; }, 3000));
    chat.BringToFront();
    chat.AppendMessage("moon", "after resuming", "10:00:02");
    REQUIRE(WaitUntil([&] { return SpokenSince(program, calls).size() >= 2; }, 6000));
    Pump(1000);
    CHECK_EQ(Texts(SpokenSince(program, calls)),
             (std::vector<std::string>{Utf8Of(L"继续朗读"), Utf8Of(L"moon说：after resuming")}));

    // By the hotkey both ways; then, switched off on the page, a pause is silent.
    const auto pauseHeard = [&](const wchar_t* said) {
        Pump(static_cast<DWORD>(HotkeyRepeats::kRepeatWithinMs));  // a new press, not a held key
        SpokenSince(program, 0, &calls);
        PressWithCtrlAlt('P');
        return said ? WaitUntil([&] { return Texts(SpokenSince(program, calls)) == std::vector<std::string>{Utf8Of(said)}; }, 3000)
                    : WaitUntil([&] { return ProbeTrayMenu(main).find(L"0 C 暂停朗读\n") != std::wstring::npos; }, 3000) &&
                          SpokenSince(program, calls).empty();
    };
    CHECK(pauseHeard(L"暂停朗读"));
    CHECK(pauseHeard(L"继续朗读"));
    CHECK_EQ(RateOf(program, SpokenSince(program, calls).at(0)), std::string("3"));  // the user's own profile
    HWND sayPause = ::GetDlgItem(Page(main, IdTabSheet3), IdSayPause);
    ::SendMessageW(sayPause, BM_SETCHECK, BST_UNCHECKED, 0);
    ::PostMessageW(Page(main, IdTabSheet3), WM_COMMAND, MAKEWPARAM(IdSayPause, BN_CLICKED), reinterpret_cast<LPARAM>(sayPause));
    CHECK(pauseHeard(nullptr));
    CHECK(WaitForMessageBox(L"Parlowen2009", 300) == nullptr);  // the held hotkey was told once
    CHECK_EQ(program.Close(), 0ul);
    CHECK_EQ(RunToEnd(DriverFolder() + L"parlowen.exe", L"--stop"), 1ul);  // no copy runs
}

E2E_TEST(ReadingOptionsAndTimeDisplayDecideWhatIsSaidAndShown) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    ::CreateDirectoryW(SettingsFolder().c_str(), nullptr);
    std::ofstream(SettingsPath().c_str(), std::ios::binary) << "[set]\r\ncbme=0\r\ncbfriendsname=0\r\nshowtime=0\r\n";
    START_PROGRAM(program, main);
    size_t calls = 0;
    SpokenSince(program, 0, &calls);
    // Hidden in the tray, the program goes on capturing.
    ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(WaitUntil([&] { return !::IsWindowVisible(main); }, 5000));

    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    chat.SetHistory("moon 09:00:01\r\nmorning");
    chat.BringToFront();
    const std::wstring friendEntry = L"0000ff moon 说：\\r\n000000 morning\\r\n";
    CHECK(LogEquals(main, L"sel 16 16\n" + friendEntry));
    CHECK(WaitUntil([&] { return !SpokenSince(program, calls).empty(); }, 3000));
    CHECK_EQ(SpokenSince(program, calls), (std::vector<std::string>{"voice3:morning"}));  // the body alone

    // Of my own message only my nickname is spoken; the whole message is logged.
    chat.AppendMessage("sky", "good morning", "09:00:05");
    CHECK(LogEquals(main, L"sel 36 36\n" + friendEntry + L"008000 sky 说：\\r\n000000 good morning\\r\n"));
    CHECK(WaitUntil([&] { return SpokenSince(program, calls).size() == 2; }, 3000));
    CHECK_EQ(SpokenSince(program, calls), (std::vector<std::string>{"voice3:morning", "voice4:" + Utf8Of(L"sky说：")}));
    CHECK_EQ(program.Close(), 0ul);
}

// Every open chat window is read, also behind a window that is no chat: what they held
// when the program first saw them is old news; new messages come in the order of their
// times, each logged once, and a chat other than the one heard last is named first. A
// muted group is logged and not heard; a group heard where the user is named says only that.
E2E_TEST(EveryOpenChatIsHeardEachAsTheUserWants) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    ::CreateDirectoryW(SettingsFolder().c_str(), nullptr);
    std::ofstream((SettingsFolder() + L"\\people.txt").c_str(), std::ios::binary)
        << "parlowen-people\t1\nuser\tsky\n" + WideToAnsi(L"chat\t快乐一家群\tgroup\tmuted\nchat\t项目组群\tgroup\tmentions\n");
    ChatWindow moon(std::wstring_view(L"与 moon 交谈中")), family(std::wstring_view(L"快乐一家群")),
        work(std::wstring_view(L"项目组群"));
    moon.SetHistory("moon 09:00:00\r\nold");
    family.SetHistory("dad 09:00:00\r\nold");
    work.SetHistory("boss 09:00:00\r\nold");
    ChatWindow notes(std::wstring_view(L"记事本"));  // no chat: in front of them all
    notes.BringToFront();
    START_PROGRAM(program, main);
    for (const ChatWindow* window : {&moon, &family, &work, &notes})
        ::SetWindowPos(window->hwnd(), nullptr, 680, 0, 340, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    REQUIRE(WaitForTicks(main, {.readsTaken = 2}));
    size_t calls = 0;
    SpokenSince(program, 0, &calls);

    work.AppendMessage("boss", "meeting", "09:01:02");
    family.AppendMessage("mum", "soup", "09:01:01");
    moon.AppendMessage("moon", "hi", "09:01:00");
    work.AppendMessage("boss", "@sky report", "09:01:03");
    const std::wstring entries = L"0000ff moon 09:01:00 说：\\r\n000000 hi\\r\n0000ff mum 09:01:01 说：\\r\n000000 soup\\r\n"
                                 L"0000ff boss 09:01:02 说：\\r\n000000 meeting\\r\n"
                                 L"0000ff boss 09:01:03 说：\\r\n000000 @sky report\\r\n";
    CHECK(WaitUntil([&] { return LogEntries(main) == entries; }, 6000));
    CHECK(WaitUntil([&] { return SpokenSince(program, calls).size() == 2; }, 3000));
    Pump(1000);
    CHECK_EQ(Texts(SpokenSince(program, calls)),
             (std::vector<std::string>{Utf8Of(L"moon说：hi"), Utf8Of(L"项目组群，boss说：@sky report")}));

    // The chats met, on their page: "选项", then two pages on with Ctrl+PageDown.
    ShowOptionsPage(main);
    REQUIRE(WaitUntil([&] { return ::GetForegroundWindow() == main; }, 3000));
    TypeKey(VK_NEXT, {VK_CONTROL});
    TypeKey(VK_NEXT, {VK_CONTROL});
    REQUIRE(WaitUntil([&] { return ::IsWindowVisible(Page(main, IdTabSheet4)) != FALSE; }, 3000));
    Pump(3500);  // until the page has painted itself and the start-up balloon is gone
    SaveScreenshot(nullptr, L"chats-page");
    CHECK_EQ(program.Close(), 0ul);
}

// The local time `seconds` from now as a header line shows it ("hh:mm:ss").
std::string ClockFromNow(int seconds) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const int second = ((now.wHour * 60 + now.wMinute) * 60 + now.wSecond + seconds + 86400) % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", second / 3600, second / 60 % 60, second % 60);
    return text;
}

// A chat window the messenger opens behind the user's work for a message is heard from
// the messages that opened it, not from the older one shown above them; a chat closed
// and opened again behind gives what came while it was closed, and nothing it held before.
E2E_TEST(AChatOpenedBehindIsHeardFromTheMessagesThatOpenedIt) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    std::optional<ChatWindow> family(std::in_place, std::wstring_view(L"快乐一家群"));
    family->SetHistory("dad 09:00:00\r\nold");
    START_PROGRAM(program, main);
    ChatWindow notes(std::wstring_view(L"记事本"));
    notes.BringToFront();
    REQUIRE(WaitUntil([&] { return ::GetForegroundWindow() == notes.hwnd(); }, 3000));
    REQUIRE(WaitForTicks(main, {.readsTaken = 2}));
    size_t calls = 0;
    SpokenSince(program, 0, &calls);

    ChatWindow sun(std::wstring_view(L"与 sun 交谈中"), ChatWindow::Opening::Hidden);
    const std::string hourAgo = ClockFromNow(-3600), before = ClockFromNow(-2), now = ClockFromNow(0);
    sun.SetHistory("sun " + hourAgo + "\r\nold news\r\nsun " + before + "\r\nhello\r\nsun " + now + "\r\nthere?");
    sun.ShowBehind();
    REQUIRE(::GetForegroundWindow() == notes.hwnd());
    const std::wstring opened = L"0000ff sun " + Wide(before) + L" 说：\\r\n000000 hello\\r\n0000ff sun " + Wide(now) +
                                L" 说：\\r\n000000 there?\\r\n";
    CHECK(WaitUntil([&] { return LogEntries(main) == opened; }, 8000));
    CHECK(WaitUntil([&] { return SpokenSince(program, calls).size() == 1; }, 3000));
    CHECK_EQ(Texts(SpokenSince(program, calls)), (std::vector<std::string>{Utf8Of(L"sun说：hello\r\nsun说：there?")}));

    // The group closed; a message comes while it is closed, and the messenger opens it again behind.
    family.reset();
    REQUIRE(WaitForTicks(main, {.trackingTicks = ChatTracking::kTicksBetweenLooks + 1}));
    family.emplace(std::wstring_view(L"快乐一家群"), ChatWindow::Opening::Hidden);
    family->SetHistory("dad 09:00:00\r\nold\r\nmum 09:30:00\r\nwhile closed");
    family->ShowBehind();
    CHECK(WaitUntil([&] { return LogEntries(main) == opened + L"0000ff mum 09:30:00 说：\\r\n000000 while closed\\r\n"; }, 8000));
    for (const ChatWindow* window : {&*family, &sun, &notes})
        ::SetWindowPos(window->hwnd(), nullptr, 680, 0, 340, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(main, SW_RESTORE);
    ::SetForegroundWindow(main);
    Pump(3500);  // until the start-up balloon is gone
    SaveScreenshot(nullptr, L"opened-behind");
    CHECK_EQ(program.Close(), 0ul);
}

E2E_TEST(AMessengerThatStopsAnsweringNeverHangsTheProgram) {
    START_PROGRAM(program, main);

    // The messenger's window lives on a thread that stops taking messages for 8 s.
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread messenger([&] {
        ChatWindow chat(std::wstring_view(L"与 sun 交谈中"));
        chat.SetHistory("sun 10:00:00\r\nbefore the hang");
        chat.BringToFront();
        ::SetEvent(ready);
        ::Sleep(8000);
        chat.AppendMessage("sun", "after the hang", "10:00:09");
        const DWORD until = ::GetTickCount() + 4000;
        MSG msg;
        while (::GetTickCount() < until) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            ::Sleep(10);
        }
    });
    ::WaitForSingleObject(ready, 5000);

    // While the messenger hangs, the program keeps answering within a few seconds.
    int answered = 0;
    for (int i = 0; i < 4; ++i) {
        DWORD_PTR result;
        if (::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &result)) ++answered;
        Pump(1000);
    }
    CHECK_EQ(answered, 4);
    // And once the messenger answers again, its new message is logged.
    CHECK(WaitUntil([&] { return ProbeLog(main).find(L"after the hang") != std::wstring::npos; }, 8000));
    messenger.join();
    ::CloseHandle(ready);
    CHECK_EQ(program.Close(), 0ul);
}

}  // namespace
