// The two voice profiles as a user meets them: the voice boxes, the sliders, the
// default buttons and "停止朗读", checked against what the speech objects were told.
#include "e2e.h"
#include "program_win32.h"
#include "sapi_registration_win32.h"

#include <commctrl.h>

namespace {

using namespace e2e;
using namespace parlowen::app;
using Calls = std::vector<std::vector<std::string>>;

// The program's speech calls made after `skip` earlier ones.
Calls CallsSince(const Program& program, size_t skip) {
    Calls calls = SpeechCallsOf(program.processId());
    calls.erase(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(std::min(skip, calls.size())));
    return calls;
}

// Start-up is over once FormCreate has minimised the window.
E2E_TEST(VoiceBoxesListTheInstalledVoicesAndStartUpConfiguresBothVoices) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One", L"测试语音 Chinese", L"Test Voice Three"});
    std::vector<std::string> ids;
    for (const std::wstring& id : InstalledVoiceIds()) ids.push_back(Utf8(id));
    REQUIRE(ids.size() >= 3);

    START_PROGRAM(program, main);
    CHECK(::IsIconic(main));  // start-up ran to its end

    for (int box : {IdCBVoice, IdCBVoice1}) {
        const std::vector<std::wstring> entries = VoiceBoxEntries(OptionControl(main, box));
        REQUIRE(entries.size() == ids.size());
        CHECK_EQ(entries[0], std::wstring(L"Test Voice One"));
        CHECK_EQ(entries[1], std::wstring(L"测试语音 Chinese"));
        CHECK_EQ(entries[2], std::wstring(L"Test Voice Three"));
        CHECK_EQ(::SendMessageW(OptionControl(main, box), CB_GETCURSEL, 0, 0), 0);
    }
    for (int label : {IdLRate, IdLRate1}) CHECK_EQ(WindowText(OptionControl(main, label)), std::wstring(L"0"));
    for (int label : {IdLVolume, IdLVolume1}) CHECK_EQ(WindowText(OptionControl(main, label)), std::wstring(L"100"));

    Calls expected = {{"voice1", "create"}, {"voice1", "GetVoices", "", ""},
                      {"voice1", "get_Count", std::to_string(ids.size())}};
    for (size_t i = 0; i < ids.size(); ++i) {
        expected.push_back({"voice1", "Item", std::to_string(i), ids[i]});
        expected.push_back({"voice1", "GetDescription", ids[i], "0"});
        expected.push_back({"voice1", "GetAttribute", ids[i], "NOTIMPL"});  // its language, where the token tells
    }
    const Calls configure = {{"voice1", "putref_Voice", ids[0]}, {"voice2", "create"},
                             {"voice2", "putref_Voice", ids[0]}, {"voice1", "put_Rate", "0"},
                             {"voice2", "put_Rate", "0"},      {"voice1", "put_Volume", "100"},
                             {"voice2", "put_Volume", "100"}};
    expected.insert(expected.end(), configure.begin(), configure.end());
    CHECK_EQ(SpeechCallsOf(program.processId()), expected);

    ShowOptionsPage(main);
    Pump(300);
    SaveScreenshot(main, L"options-with-voices");
    CHECK_EQ(program.Close(), 0ul);
}

E2E_TEST(OptionControlsSetTheVoicesAsTheUserChangesThem) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One", L"Test Voice Two"});
    const std::string second = Utf8(InstalledVoiceIds().at(1));

    START_PROGRAM(program, main);
    ShowOptionsPage(main);
    const size_t startUp = SpeechCallsOf(program.processId()).size();

    // The user picks the second voice for the friend.
    HWND friendBox = OptionControl(main, IdCBVoice1);
    ::SendMessageW(friendBox, CB_SETCURSEL, 1, 0);
    ::PostMessageW(Page(main, IdTabSheet2), WM_COMMAND, MAKEWPARAM(IdCBVoice1, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(friendBox));
    // Arrow keys step 1, page keys 2; the rate stops at its ends.
    for (int i = 0; i < 3; ++i) PressKey(OptionControl(main, IdTRate), VK_RIGHT);
    PressKey(OptionControl(main, IdTRate1), VK_LEFT);
    PressKey(OptionControl(main, IdTVolume1), VK_PRIOR);
    CHECK(WaitUntil([&] { return WindowText(OptionControl(main, IdLVolume1)) == L"98"; }, 5000));
    CHECK_EQ(WindowText(OptionControl(main, IdLRate)), std::wstring(L"3"));
    CHECK_EQ(WindowText(OptionControl(main, IdLRate1)), std::wstring(L"-1"));
    CHECK_EQ(CallsSince(program, startUp), (Calls{{"voice2", "putref_Voice", second},
                                                  {"voice1", "put_Rate", "1"},
                                                  {"voice1", "put_Rate", "2"},
                                                  {"voice1", "put_Rate", "3"},
                                                  {"voice2", "put_Rate", "-1"},
                                                  {"voice2", "put_Volume", "98"}}));

    // "默认" of the friend's group resets only the friend's rate and volume.
    const size_t beforeDefault = SpeechCallsOf(program.processId()).size();
    ::SendMessageW(OptionControl(main, IdBtnDefault2), BM_CLICK, 0, 0);
    CHECK(WaitUntil([&] { return WindowText(OptionControl(main, IdLVolume1)) == L"100"; }, 5000));
    CHECK_EQ(WindowText(OptionControl(main, IdLRate1)), std::wstring(L"0"));
    CHECK_EQ(::SendMessageW(OptionControl(main, IdTRate1), TBM_GETPOS, 0, 0), 0);
    CHECK_EQ(::SendMessageW(OptionControl(main, IdTVolume1), TBM_GETPOS, 0, 0), 100);
    CHECK_EQ(WindowText(OptionControl(main, IdLRate)), std::wstring(L"3"));
    CHECK_EQ(::SendMessageW(friendBox, CB_GETCURSEL, 0, 0), 1);
    CHECK_EQ(CallsSince(program, beforeDefault),
             (Calls{{"voice2", "put_Rate", "0"}, {"voice2", "put_Volume", "100"}}));

    // "停止朗读" drops both voice objects at once.
    const size_t beforeStop = SpeechCallsOf(program.processId()).size();
    ::PostMessageW(main, WM_COMMAND, IdStopSpeak1, 0);
    CHECK(WaitUntil([&] { return CallsSince(program, beforeStop).size() >= 2; }, 5000));
    CHECK_EQ(CallsSince(program, beforeStop), (Calls{{"voice1", "destroy"}, {"voice2", "destroy"}}));
    CHECK_EQ(program.Close(), 0ul);
}

E2E_TEST(WithoutAnyVoiceEngineTheBoxesStayEmptyAndNoErrorIsShown) {
    WithoutVoiceProcess onlyWineOwnSpeech;  // whose objects say E_NOTIMPL
    START_PROGRAM(program, main);
    CHECK(::IsIconic(main));  // start-up was not cut short
    CHECK(WaitForMessageBox(L"Parlowen2009", 1500) == nullptr);
    for (int box : {IdCBVoice, IdCBVoice1}) {
        CHECK_EQ(::SendMessageW(OptionControl(main, box), CB_GETCOUNT, 0, 0), 0);
        CHECK_EQ(::SendMessageW(OptionControl(main, box), CB_GETCURSEL, 0, 0), CB_ERR);
    }
    CHECK_EQ(WindowText(OptionControl(main, IdLVolume)), std::wstring(L"100"));

    ShowOptionsPage(main);
    PressKey(OptionControl(main, IdTRate), VK_RIGHT);
    CHECK(WaitUntil([&] { return WindowText(OptionControl(main, IdLRate)) == L"1"; }, 5000));
    CHECK(WaitForMessageBox(L"Parlowen2009", 1000) == nullptr);
    CHECK_EQ(program.Close(), 0ul);
}

E2E_TEST(FailingVoiceIsReportedAndTheRestOfStartUpSkipped) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    FailSpeechCalls(L"voice.put_Rate");

    Program program;
    program.Start();
    HWND box = WaitForMessageBox(L"Parlowen2009", 10000);
    REQUIRE(box != nullptr);
    const std::wstring text = MessageBoxText(box);
    CHECK(text.rfind(L"SpVoice.Rate: ", 0) == 0);
    CHECK(MessageBoxHasIcon(box));
    SaveScreenshot(nullptr, L"error-report");
    CHECK(DismissMessageBox(box));

    HWND main = program.MainWindow();
    REQUIRE(main != nullptr);
    CHECK(WaitUntil([&] { return Shown(main); }, 5000));  // not minimised: that step was skipped
    CHECK(program.Running());

    // The slider handler reports the engine's failure too, and the label keeps its text.
    ShowOptionsPage(main);
    const std::wstring before = WindowText(OptionControl(main, IdLRate));
    PressKey(OptionControl(main, IdTRate), VK_RIGHT);
    box = WaitForMessageBox(L"Parlowen2009");
    REQUIRE(box != nullptr);
    CHECK(MessageBoxText(box).rfind(L"SpVoice.Rate: ", 0) == 0);
    CHECK(DismissMessageBox(box));
    CHECK_EQ(WindowText(OptionControl(main, IdLRate)), before);
    CHECK_EQ(program.Close(), 0ul);
}

}  // namespace
