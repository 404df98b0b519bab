// The options survive restarts through set.ini in the user's application-data folder.
#include "e2e.h"
#include "program_win32.h"
#include "sapi_registration_win32.h"
#include "win32/handles_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace {

using namespace e2e;
using namespace parlowen::app;

std::optional<std::string> ReadSettingsFile() {
    std::ifstream in(std::filesystem::path(SettingsPath()), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteSettingsFile(const std::string& bytes) {
    ::CreateDirectoryW(SettingsFolder().c_str(), nullptr);
    std::ofstream(std::filesystem::path(SettingsPath()), std::ios::binary | std::ios::trunc) << bytes;
}

DWORD ExitFromTray(Program& program, HWND main) {
    ::PostMessageW(main, WM_COMMAND, IdExit1, 0);
    return program.WaitForExit(10000);
}

LRESULT Position(HWND main, int slider) { return ::SendMessageW(OptionControl(main, slider), TBM_GETPOS, 0, 0); }
LRESULT Selected(HWND main, int box) { return ::SendMessageW(OptionControl(main, box), CB_GETCURSEL, 0, 0); }
bool Checked(HWND main, int box) {
    return ::SendMessageW(OptionControl(main, box), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// How messages are said and the hotkeys, written after the keys an earlier version knows.
const std::string kSpeakingKeys = "speaklinks=1\r\nspeaksymbols=1\r\nspeakrepeats=1\r\nlongestmessage=-1\r\nqueuemessages=0\r\n"
                                  "stophotkey=1619\r\npausehotkey=1616\r\nsaypause=1\r\neverychat=1\r\n";

const std::string kDefaultFile =
    "[set]\r\nRate=0\r\nVolume=100\r\nEngine=0\r\nRate1=0\r\nVolume1=100\r\nEngine1=0\r\n"
    "cbme=1\r\ncbfriend=1\r\ncbmyname=1\r\ncbfriendsname=1\r\nshowtime=1\r\n" + kSpeakingKeys;

E2E_TEST(FirstStartCreatesTheFolderAndExitWritesEveryOption) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    RemoveSettings();

    START_PROGRAM(program, main);
    CHECK(::IsIconic(main));
    CHECK(::GetFileAttributesW(SettingsFolder().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    CHECK(!ReadSettingsFile().has_value());  // nothing is written while the program runs

    CHECK_EQ(ExitFromTray(program, main), 0ul);
    CHECK_EQ(ReadSettingsFile().value_or("(none)"), kDefaultFile);
}

E2E_TEST(OptionsChangedThroughTheControlsComeBackAfterARestart) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One", L"Test Voice Two"});
    RemoveSettings();
    {
        START_PROGRAM(program, main);
        ShowOptionsPage(main);
        ::SendMessageW(OptionControl(main, IdCBMe), BM_CLICK, 0, 0);
        ::SendMessageW(OptionControl(main, IdCBFriendsname), BM_CLICK, 0, 0);
        HWND friendBox = OptionControl(main, IdCBVoice1);
        ::SendMessageW(friendBox, CB_SETCURSEL, 1, 0);
        ::PostMessageW(Page(main, IdTabSheet2), WM_COMMAND, MAKEWPARAM(IdCBVoice1, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(friendBox));
        for (int i = 0; i < 4; ++i) PressKey(OptionControl(main, IdTRate), VK_LEFT);
        PressKey(OptionControl(main, IdTVolume1), VK_PRIOR);
        REQUIRE(WaitUntil([&] { return WindowText(OptionControl(main, IdLVolume1)) == L"98"; }, 5000));
        // Hidden to the tray first: exit from there still writes the settings.
        ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        CHECK(WaitUntil([&] { return !::IsWindowVisible(main); }, 5000));
        CHECK_EQ(ExitFromTray(program, main), 0ul);
    }
    CHECK_EQ(ReadSettingsFile().value_or("(none)"),
             std::string("[set]\r\nRate=-4\r\nVolume=100\r\nEngine=0\r\nRate1=0\r\nVolume1=98\r\nEngine1=1\r\n"
                         "cbme=0\r\ncbfriend=1\r\ncbmyname=1\r\ncbfriendsname=0\r\nshowtime=1\r\n" + kSpeakingKeys));

    START_PROGRAM(again, main);
    CHECK_EQ(Position(main, IdTRate), -4);
    CHECK_EQ(WindowText(OptionControl(main, IdLRate)), std::wstring(L"-4"));
    CHECK_EQ(Position(main, IdTVolume1), 98);
    CHECK_EQ(Selected(main, IdCBVoice), 0);
    CHECK_EQ(Selected(main, IdCBVoice1), 1);
    CHECK(!Checked(main, IdCBMe));
    CHECK(Checked(main, IdCBFriend));
    CHECK(!Checked(main, IdCBFriendsname));

    // Killing the process loses only that run's changes, never the file.
    const std::optional<std::string> before = ReadSettingsFile();
    ::SendMessageW(OptionControl(main, IdCBFriend), BM_CLICK, 0, 0);
    Pump(300);
    ::TerminateProcess(::OpenProcess(PROCESS_TERMINATE, FALSE, again.processId()), 9);
    again.WaitForExit(5000);
    CHECK_EQ(ReadSettingsFile().value_or("(none)"), before.value_or("(gone)"));
}

E2E_TEST(HandEditedValuesAreReadAsTheProgramReadsThemAndWrittenBackClean) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One", L"Test Voice Two"});
    WriteSettingsFile("; edited by hand\r\n[other]\r\nRate=7\r\n[set]\r\nRATE=15\r\nVolume1=-5\r\nRate1=0x0A\r\n"
                      "Volume=$1F\r\nEngine=7\r\nEngine1=1\r\ncbme=2\r\ncbfriend=yes\r\ncbmyname=0\r\n");
    START_PROGRAM(program, main);
    CHECK(::IsIconic(main));
    CHECK_EQ(Position(main, IdTRate), 10);
    CHECK_EQ(WindowText(OptionControl(main, IdLRate)), std::wstring(L"10"));
    CHECK_EQ(Position(main, IdTVolume1), 0);
    CHECK_EQ(WindowText(OptionControl(main, IdLVolume1)), std::wstring(L"0"));
    CHECK_EQ(Position(main, IdTRate1), 10);
    CHECK_EQ(Position(main, IdTVolume), 31);
    CHECK_EQ(Selected(main, IdCBVoice), 0);  // entry 7 does not exist
    CHECK_EQ(Selected(main, IdCBVoice1), 1);
    CHECK(Checked(main, IdCBMe));
    CHECK(Checked(main, IdCBFriend));  // "yes" is no number: the default
    CHECK(!Checked(main, IdCBmyname));
    CHECK_EQ(ExitFromTray(program, main), 0ul);
    CHECK_EQ(ReadSettingsFile().value_or("(none)"),
             std::string("; edited by hand\r\n[other]\r\nRate=7\r\n[set]\r\nRATE=10\r\nVolume1=0\r\nRate1=10\r\n"
                         "Volume=31\r\nEngine=0\r\nEngine1=1\r\ncbme=1\r\ncbfriend=1\r\ncbmyname=0\r\n"
                         "cbfriendsname=1\r\nshowtime=1\r\n" + kSpeakingKeys));
}

E2E_TEST(WithoutVoicesTheSavedVoiceChoicesStayAsTheyWere) {
    WithoutVoiceProcess noVoices;
    WriteSettingsFile("[set]\r\nEngine=3\r\nEngine1=2\r\n");
    START_PROGRAM(program, main);
    CHECK_EQ(ExitFromTray(program, main), 0ul);
    const std::string file = ReadSettingsFile().value_or("");
    CHECK(file.find("Engine=3\r\n") != std::string::npos);
    CHECK(file.find("Engine1=2\r\n") != std::string::npos);
    CHECK(file.find("showtime=1\r\n") != std::string::npos);
}

E2E_TEST(BrokenSettingsFilesStartWithDefaultsAndAreWrittenValid) {
    std::string binary;
    for (unsigned i = 0; i < 300000; ++i) binary += static_cast<char>((i * 7919u) % 256u);
    const std::string inputs[] = {
        binary,
        std::string(3'000'000, 'x'),                                  // no line break at all
        "[set]\r\nRate=" + std::string(2000, '9') + "\r\ncbme=" + std::string(2000, 'a') + "\r\n",
    };
    for (const std::string& input : inputs) {
        WriteSettingsFile(input);
        START_PROGRAM(program, main);
        CHECK(::IsIconic(main));  // start-up completed
        CHECK(WaitForMessageBox(L"Parlowen2009", 500) == nullptr);
        CHECK_EQ(Position(main, IdTRate), 0);
        CHECK(Checked(main, IdCBMe));
        CHECK_EQ(ExitFromTray(program, main), 0ul);
        const std::string file = ReadSettingsFile().value_or("");
        CHECK(file.find("[set]\r\n") != std::string::npos);
        CHECK(file.find("Rate=0\r\n") != std::string::npos);
        CHECK(file.find("showtime=1\r\n") != std::string::npos);
    }
    RemoveSettings();
}

// The rest of start-up goes on with the defaults, so the program still speaks; nothing is
// written at exit.
E2E_TEST(SettingsFolderThatCannotBeCreatedIsReportedAndTheProgramSpeaksWithDefaults) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    RemoveSettings();
    // A file where the folder belongs.
    std::ofstream(std::filesystem::path(SettingsFolder()), std::ios::binary) << "not a folder";

    Program program;
    program.Start();
    HWND box = WaitForMessageBox(L"Parlowen2009", 10000);
    REQUIRE(box != nullptr);
    CHECK(MessageBoxText(box).find(L"parlowen") != std::wstring::npos);
    CHECK(MessageBoxHasIcon(box));
    CHECK(DismissMessageBox(box));
    HWND main = program.MainWindow();
    REQUIRE(main != nullptr);
    // Start-up runs to its end: the window is shown minimised once the report is gone.
    CHECK(WaitUntil([&] { return ::IsIconic(main) != FALSE; }, 5000));
    for (int box : {IdCBVoice, IdCBVoice1}) CHECK_EQ(::SendMessageW(OptionControl(main, box), CB_GETCURSEL, 0, 0), 0);
    CHECK_EQ(WindowText(OptionControl(main, IdLVolume1)), std::wstring(L"100"));
    CHECK_EQ(ExitFromTray(program, main), 0ul);
    CHECK(WaitForMessageBox(L"Parlowen2009", 500) == nullptr);
    RemoveSettings();
}

E2E_TEST(ASettingsFileThatCannotBeWrittenIsReportedAtExit) {
    // A folder where the file belongs: it reads as empty and cannot be written.
    ::CreateDirectoryW(SettingsFolder().c_str(), nullptr);
    ::CreateDirectoryW(SettingsPath().c_str(), nullptr);
    START_PROGRAM(program, main);
    ::PostMessageW(main, WM_COMMAND, IdNexit, 0);
    HWND box = WaitForMessageBox(L"Parlowen2009", 10000);
    REQUIRE(box != nullptr);
    const std::wstring text = MessageBoxText(box);
    CHECK(text.rfind(L"Unable to write to ", 0) == 0);
    CHECK(text.find(L"\\parlowen\\set.ini") != std::wstring::npos);
    CHECK(MessageBoxHasIcon(box));
    CHECK(DismissMessageBox(box));
    CHECK_EQ(program.WaitForExit(10000), 0ul);
    ::RemoveDirectoryW(SettingsPath().c_str());
}

E2E_TEST(FailedStartUpLeavesTheStoredSettingsUntouched) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    FailSpeechCalls(L"voice.put_Rate");
    const std::string stored = "[set]\r\nRate=5\r\nVolume=40\r\ncbme=0\r\n";
    WriteSettingsFile(stored);

    Program program;
    program.Start();
    HWND box = WaitForMessageBox(L"Parlowen2009", 10000);
    REQUIRE(box != nullptr);
    CHECK(DismissMessageBox(box));
    HWND main = program.MainWindow();
    REQUIRE(main != nullptr);
    CHECK_EQ(ExitFromTray(program, main), 0ul);
    CHECK_EQ(ReadSettingsFile().value_or("(none)"), stored);
    RemoveSettings();
}

// The user presses a new combination in the stop hotkey's box and switches the pause
// hotkey off: both take effect at once, and are kept.
E2E_TEST(HotkeysChangedOnThePageTakeEffectAtOnceAndAreKept) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    START_PROGRAM(program, main);
    ::PostMessageW(main, WM_COMMAND, IdNItemOptions, 0);  // from the tray menu: the window in front
    REQUIRE(WaitUntil([&] { return ::GetForegroundWindow() == main; }, 5000));
    PressKey(Notebook(main), VK_RIGHT);
    HWND page = Page(main, IdTabSheet3);
    REQUIRE(WaitUntil([&] { return ::IsWindowVisible(page) != FALSE; }, 5000));

    HWND stopKey = ::GetDlgItem(page, IdStopHotkey);
    RECT box;
    ::GetWindowRect(stopKey, &box);
    ::SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    ::mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    ::mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Pump(300);
    PressWithCtrlAlt('Q');
    constexpr LRESULT kCtrlAltQ = (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8 | 'Q';
    CHECK(WaitUntil([&] { return ::SendMessageW(stopKey, HKM_GETHOTKEY, 0, 0) == kCtrlAltQ; }, 3000));
    HWND pauseOn = ::GetDlgItem(page, IdPauseHotkeyOn);
    ::SendMessageW(pauseOn, BM_SETCHECK, BST_UNCHECKED, 0);
    ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(IdPauseHotkeyOn, BN_CLICKED), reinterpret_cast<LPARAM>(pauseOn));
    Pump(500);

    // Pressed in another window: the new stop key drops both voice objects; the old one
    // and the pause key do nothing.
    const std::vector<std::string> destroyMine{"voice1", "destroy"}, destroyFriend{"voice2", "destroy"};
    const auto destroysSince = [&](size_t skip) {
        const auto calls = SpeechCallsOf(program.processId());
        return static_cast<size_t>(std::count_if(calls.begin() + static_cast<std::ptrdiff_t>(skip), calls.end(),
                                                 [&](const auto& c) { return c == destroyMine || c == destroyFriend; }));
    };
    const parlowen::win32::UniqueWindow other(::CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE,
                                                                600, 0, 200, 100, nullptr, nullptr, nullptr, nullptr));
    ::SetForegroundWindow(other.get());
    REQUIRE(WaitUntil([&] { return ::GetForegroundWindow() == other.get(); }, 3000));
    const size_t before = SpeechCallsOf(program.processId()).size();
    PressWithCtrlAlt('S');
    PressWithCtrlAlt('P');
    Pump(1000);
    CHECK_EQ(destroysSince(before), 0u);
    CHECK(ProbeTrayMenu(main).find(L"0 - 暂停朗读\n") != std::wstring::npos);
    ::SetForegroundWindow(other.get());
    REQUIRE(WaitUntil([&] { return ::GetForegroundWindow() == other.get(); }, 3000));
    PressWithCtrlAlt('Q');
    CHECK(WaitUntil([&] { return destroysSince(before) == 2; }, 3000));

    CHECK_EQ(ExitFromTray(program, main), 0ul);
    const std::string file = ReadSettingsFile().value_or("");
    CHECK(file.find("stophotkey=1617\r\npausehotkey=0\r\n") != std::string::npos);
}

}  // namespace
