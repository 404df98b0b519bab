// Real speech under Wine: without system voices the program speaks through eSpeak NG,
// and these cases measure what reached the sound output, recorded from a private
// PulseAudio server's null sink (see sound_recording_win32.h).
#include "demo_chat/chat_window_win32.h"
#include "win32/handles_win32.h"
#include "win32/stoppable_pipe_win32.h"
#include "win32/text_win32.h"
#include "e2e.h"
#include "files_win32.h"
#include "program_win32.h"
#include "speech/espeak_voice_engine_win32.h"
#include "sound_recording_win32.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <future>
#include <memory>
#include <thread>

namespace {

using namespace e2e;
using namespace parlowen::app;
using parlowen::demo::ChatWindow;
using parlowen::win32::WideToAnsi;

// About twelve seconds of Mandarin at the normal rate.
const wchar_t kLongText[] = L"今天晚上七点在校门口见，别忘了带上那本书。我们先去吃饭，然后去图书馆复习功课。";
const wchar_t kShortText[] = L"好的，明天见。";

// A process that was ended stays in the list for a moment: the count is waited for.
bool HasVoiceProcesses(std::size_t count) {
    return WaitUntil([count] { return VoiceProcesses().size() == count; }, 5000);
}

// The program started on eSpeak NG, with the demo chat of a friend "moon" in front,
// once it has read out the friend's greeting there.
struct SpeakingProgram {
    explicit SpeakingProgram(const SoundRecording& sound) : recording(sound), chat(std::wstring_view(L"与 moon 交谈中")) {
        const size_t from = recording.Now();
        program.Start();
        main = program.MainWindowAfterStartUp();
        chat.SetHistory(WideToAnsi(L"moon 10:00:00\r\n你好"));
        chat.BringToFront();
        greeting = recording.WaitForSilence(from, 800, 15000);
    }
    bool Ready() const { return main != nullptr && greeting.has_value(); }
    // A message of the friend or the user's own, with a header line of its own.
    void Say(bool fromFriend, const wchar_t* text) {
        chat.AppendMessage(fromFriend ? "moon" : "sky", WideToAnsi(text), "10:00:" + std::to_string(++second + 10));
    }
    // Says it and waits until its sound has started; where in the recording it did.
    std::optional<size_t> StartSaying(bool fromFriend, const wchar_t* text) {
        const size_t from = recording.Now();
        Say(fromFriend, text);
        return recording.WaitForSound(from, 10000);
    }
    // Says it and waits until `quietMs` of silence follow its sound.
    std::optional<SoundRecording::Sound> SayAndListen(bool fromFriend, const wchar_t* text, DWORD quietMs = 800) {
        const size_t from = recording.Now();
        Say(fromFriend, text);
        return recording.WaitForSilence(from, quietMs, 40000);
    }
    double Rms(const SoundRecording::Sound& sound) const {
        return SoundRecording::Rms(recording.Samples(sound.start, sound.end));
    }

    const SoundRecording& recording;
    Program program;
    HWND main = nullptr;
    ChatWindow chat;
    std::optional<SoundRecording::Sound> greeting;
    int second = 0;
};

E2E_TEST(EspeakVoicesAreListedMandarinFirstAndBothProfilesAreHeard) {
    const auto recording = SoundRecording::Open();
    REQUIRE(recording.has_value());
    SpeakingProgram run(*recording);
    REQUIRE(run.Ready());
    for (int box : {IdCBVoice, IdCBVoice1}) {
        HWND voices = OptionControl(run.main, box);
        CHECK(::SendMessageW(voices, CB_GETCOUNT, 0, 0) > 1);
        wchar_t first[256] = L"";
        ::SendMessageW(voices, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
        CHECK(std::wstring(first).rfind(L"Chinese (Mandarin", 0) == 0);
        CHECK_EQ(::SendMessageW(voices, CB_GETCURSEL, 0, 0), 0);
    }
    CHECK(HasVoiceProcesses(2));  // one for each profile
    ShowOptionsPage(run.main);
    Pump(300);
    SaveScreenshot(run.main, L"options-with-espeak-voices");
    run.chat.BringToFront();

    // The friend's greeting was read as the chat came to the front.
    recording->Save(L"friend-message", run.greeting->start, run.greeting->end);
    PrintFigure("friend message RMS", run.Rms(*run.greeting), "of full scale");
    CHECK(run.Rms(*run.greeting) > 0.02);

    const auto own = run.SayAndListen(false, kShortText);
    REQUIRE(own.has_value());
    recording->Save(L"own-message", own->start, own->end);
    PrintFigure("own message RMS", run.Rms(*own), "of full scale");
    CHECK(run.Rms(*own) > 0.02);

    // Two messages of the friend's in one burst: the long first one is heard whole, not
    // cut short by the second.
    const size_t burstFrom = recording->Now();
    run.Say(true, kLongText);
    run.Say(true, kShortText);
    const auto burst = recording->WaitForSilence(burstFrom, 1500, 40000);
    REQUIRE(burst.has_value());
    recording->Save(L"friend-burst", burst->start, burst->end);
    PrintFigure("friend burst", burst->Seconds(), "s");
    CHECK(burst->Seconds() > 9.0);

    // The user answers while the friend's long message is still being read: both go on.
    const auto friendStart = run.StartSaying(true, kLongText);
    REQUIRE(friendStart.has_value());
    Pump(1000);
    const size_t ownStart = recording->Now();
    run.Say(false, kShortText);
    const auto both = recording->WaitForSilence(*friendStart, 1500, 40000);
    REQUIRE(both.has_value());
    recording->Save(L"friend-and-own", both->start, both->end);
    // The short answer is over in about three seconds; the friend's message goes on long after.
    PrintFigure("sound after the own message started", Milliseconds(both->end - ownStart) / 1000.0, "s");
    CHECK(both->end > ownStart + 5 * SoundRecording::kRate);
    CHECK_EQ(run.program.Close(), 0ul);
}

// How soon the voices fall silent is a benchmark's figure; here, that they do, long
// before the utterances would have ended, when the user presses the stop hotkey in
// another program's window (the chat window).
E2E_TEST(TheStopHotkeyPressedInAnotherWindowSilencesBothVoices) {
    const auto recording = SoundRecording::Open();
    REQUIRE(recording.has_value());
    SpeakingProgram run(*recording);
    REQUIRE(run.Ready());

    const auto from = run.StartSaying(true, kLongText);
    REQUIRE(from.has_value());
    run.Say(false, kLongText);
    Pump(2500);
    REQUIRE(WaitUntil([&] { return ::GetForegroundWindow() == run.chat.hwnd(); }, 3000));
    const size_t stop = recording->Now();  // the recording lags a little: this errs towards late
    PressWithCtrlAlt('S');
    // About nine seconds of both were left: a second of silence within six shows that
    // they stopped.
    const auto sound = recording->WaitForSilence(*from, 1000, 6000);
    REQUIRE(sound.has_value());
    recording->Save(L"stop-speaking", sound->start, recording->Now());
    const double afterStopMs = sound->end > stop ? Milliseconds(sound->end - stop) : 0;
    PrintFigure("sound after the stop hotkey", afterStopMs, "ms");
    CHECK(sound->start < stop);  // it was speaking when stopped

    CHECK(run.SayAndListen(true, kShortText).has_value());  // the next message is read normally
    CHECK_EQ(run.program.Close(), 0ul);
}

E2E_TEST(RateTenSpeaksFasterThanRateMinusTen) {
    const auto recording = SoundRecording::Open();
    REQUIRE(recording.has_value());
    SpeakingProgram run(*recording);
    REQUIRE(run.Ready());
    ShowOptionsPage(run.main);

    const auto lengthAt = [&](UINT key, const wchar_t* label) -> double {
        PressKey(OptionControl(run.main, IdTRate1), key);
        if (!WaitUntil([&] { return WindowText(OptionControl(run.main, IdLRate1)) == label; }, 5000)) return 0;
        run.chat.BringToFront();
        const auto sound = run.SayAndListen(true, L"今天晚上七点在校门口见，别忘了带上那本书。", 2000);
        if (!sound) return 0;
        recording->Save(std::wstring(L"rate") + label, sound->start, sound->end);
        return sound->Seconds();
    };
    const double slow = lengthAt(VK_HOME, L"-10");
    const double fast = lengthAt(VK_END, L"10");
    PrintFigure("length at rate -10", slow, "s");
    PrintFigure("length at rate 10", fast, "s");
    REQUIRE(fast > 0);
    PrintFigure("ratio", slow / fast, "");
    CHECK(slow > fast);
    CHECK_EQ(run.program.Close(), 0ul);
}

E2E_TEST(AKilledVoiceProcessDoesNotStopTheNextMessageAndNoneOutlivesTheProgram) {
    const auto recording = SoundRecording::Open();
    REQUIRE(recording.has_value());
    {
        SpeakingProgram run(*recording);
        REQUIRE(run.Ready());
        const auto from = run.StartSaying(true, kLongText);
        REQUIRE(from.has_value());
        Pump(1000);
        CHECK(HasVoiceProcesses(2));
        const std::vector<DWORD> killed = VoiceProcesses();
        for (DWORD id : killed) {
            const parlowen::win32::UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, id));
            ::TerminateProcess(process.get(), 9);
        }
        CHECK(recording->WaitForSilence(*from, 1000, 5000).has_value());

        for (bool fromFriend : {true, false}) {
            const auto sound = run.SayAndListen(fromFriend, kShortText);
            CHECK(sound.has_value());
            if (sound) PrintFigure(fromFriend ? "friend RMS after the kill" : "own RMS after the kill", run.Rms(*sound), "");
        }
        CHECK(HasVoiceProcesses(2));  // both replaced
    }  // the program is killed here, in the middle of its run
    const DWORD killedAt = ::GetTickCount();
    CHECK(HasVoiceProcesses(0));
    PrintFigure("voice processes gone after the program's kill", ::GetTickCount() - killedAt, "ms");
}

// An eSpeak NG embedded command in a message (here: amplitude 300) leaves a voice at volume
// 0 silent. The engine is driven directly, as the program drives it: that is where the
// rule can break.
E2E_TEST(AnEmbeddedCommandInAMessageDoesNotRaiseAMutedVoice) {
    using namespace parlowen::speech;
    const auto recording = SoundRecording::Open();
    REQUIRE(recording.has_value());
    EspeakVoiceEngine voice(std::make_shared<const VoiceProgram>(DriverFolder() + L"parlowen-voice.exe.so"));
    const std::vector<InstalledVoice> voices = voice.GetVoices();
    REQUIRE(!voices.empty());
    voice.SetVoice(*voices.front().token);
    voice.SetVolume(0);
    const size_t from = recording->Now();
    voice.Speak(WideToAnsi(L"听着") + "\x01" "300A " + WideToAnsi(kShortText));
    CHECK(voice.WaitUntilDone(INFINITE));  // everything said, nothing heard
    // Then an utterance at full volume: the first sound since the muted one is its.
    voice.SetVolume(100);
    const size_t loud = recording->Now();
    voice.Speak(WideToAnsi(kShortText));
    const std::optional<size_t> firstSound = recording->WaitForSound(from, 10000);
    REQUIRE(firstSound.has_value());
    PrintFigure("first sound after the loud utterance was asked for", Milliseconds(*firstSound - std::min(*firstSound, loud)), "ms");
    CHECK(*firstSound >= loud);
}

// A group member's voice: the voice process takes a variant and a pitch, and says while
// it is busy that it is; the members' queue waits on that.
E2E_TEST(TheEspeakEngineSpeaksAVariantAtAPitchAndTellsWhileItIsBusy) {
    using namespace parlowen::speech;
    EspeakVoiceEngine voice(std::make_shared<const VoiceProgram>(DriverFolder() + L"parlowen-voice.exe.so"));
    const std::vector<InstalledVoice> voices = voice.GetVoices();
    REQUIRE(!voices.empty());
    CHECK_EQ(voices.front().language, std::string("cmn"));
    const auto render = [&](const std::wstring& path, const std::wstring& text) {
        EspeakFileStream file;
        file.OpenForWrite(WideToAnsi(path));
        voice.SetOutputStream(file);
        voice.Speak(WideToAnsi(text));
        const bool busy = voice.Speaking();
        WaitUntil([&] { return voice.WaitUntilDone(0); }, 60000);
        file.Close();
        voice.ResetOutputToDefaultDevice();
        std::ifstream in(path.c_str(), std::ios::binary);
        return std::pair{busy, std::string((std::istreambuf_iterator<char>(in)), {})};
    };
    voice.SetVoice(*voices.front().token);
    const auto plain = render(L"C:\\users\\Public\\plain.wav", kShortText);
    voice.SetVariant("f2");
    voice.SetPitch(6);
    std::wstring long_;
    for (int i = 0; i < 40; ++i) long_ += kShortText;
    const auto member = render(L"C:\\users\\Public\\member.wav", long_);
    CHECK(member.first);  // a long render is still under way right after it was asked for
    CHECK(!voice.Speaking());
    CHECK(plain.second.size() > 16000);
    CHECK(member.second.substr(44, 32000) != plain.second.substr(44, 32000));  // another speaker
}

// The engine as the program drives it, given text no chat should contain: bytes that
// are no GBK, control characters, 100 KB at once. Each is spoken or skipped, and the
// same voice process goes on answering.
E2E_TEST(TheEspeakEngineSpeaksOrSkipsHostileTextAndItsVoiceProcessLivesOn) {
    using namespace parlowen::speech;
    auto program = std::make_shared<const VoiceProgram>(DriverFolder() + L"parlowen-voice.exe.so");
    EspeakVoiceEngine voice(program);
    const std::vector<InstalledVoice> voices = voice.GetVoices();
    REQUIRE(!voices.empty());
    voice.SetVoice(*voices.front().token);
    const DWORD processId = voice.ProcessId();

    std::string controls;
    for (char c = 1; c < 32; ++c) controls += c;
    const std::wstring path = L"C:\\users\\Public\\hostile.wav";
    EspeakFileStream file;
    file.OpenForWrite(WideToAnsi(path));
    voice.SetOutputStream(file);
    voice.Speak("\xC4\xE3\xFF\xFE\x80\x81" + WideToAnsi(L"好的"));
    voice.Speak(controls + WideToAnsi(L"明天见") + controls);
    CHECK(WaitUntil([&] { return voice.WaitUntilDone(0); }, 20000));
    file.Close();
    voice.ResetOutputToDefaultDevice();
    const auto wav = ReadWav(path);
    REQUIRE(wav.has_value());
    PrintFigure("hostile text rendered", wav->dataBytes.value_or(0) / 32000.0, "s");
    CHECK(wav->dataBytes.value_or(0) > 16000);  // the Chinese words among them were spoken

    std::wstring big;
    while (big.size() < 55'000) big += L"今天晚上七点在校门口见，别忘了带上那本书。\r\n";
    const std::string hundredKilobytes = WideToAnsi(big);
    CHECK(hundredKilobytes.size() >= 100'000);
    voice.Speak(hundredKilobytes);
    Pump(1500);
    voice.Disconnect();
    voice.SetVoice(*voices.front().token);
    CHECK(voice.WaitUntilDone(INFINITE));
    CHECK_EQ(voice.ProcessId(), processId);
    CHECK(voice.LastSpeakTiming().has_value());
}

// A voice process that stops answering (here: all its threads held) is ended, and the
// next utterance gets a new one.
E2E_TEST(AVoiceProcessThatStopsAnsweringIsEndedAndReplaced) {
    using namespace parlowen::speech;
    EspeakVoiceEngine voice(std::make_shared<const VoiceProgram>(DriverFolder() + L"parlowen-voice.exe.so"));
    REQUIRE(!voice.GetVoices().empty());
    const DWORD stuck = voice.ProcessId();
    const parlowen::win32::UniqueKernelHandle stuckProcess(::OpenProcess(SYNCHRONIZE, FALSE, stuck));
    REQUIRE(HoldThreadsOf(stuck) > 0);

    voice.Speak(WideToAnsi(L"你好"));  // never answered
    Pump(5500);
    voice.Speak(WideToAnsi(L"你好"));
    CHECK(voice.ProcessId() != stuck);
    CHECK(voice.LastSpeakTiming().has_value());  // the new one answers
    CHECK_EQ(::WaitForSingleObject(stuckProcess.get(), 3000), static_cast<DWORD>(WAIT_OBJECT_0));
}

// Ending a voice process must not wait for its output pipe to close: a copy of the
// child's end can outlive it (under Wine its console helper may hold one). Here the
// copy is simply kept, and a read waiting on the pipe still ends once stopped.
E2E_TEST(AReadFromAVoicePipeEndsWhenStoppedThoughItsOtherEndStaysOpen) {
    using parlowen::win32::StoppablePipe;
    using parlowen::win32::UniqueKernelHandle;
    auto pipe = std::make_shared<StoppablePipe>(StoppablePipe::Direction::kFromChild);
    auto stop = std::make_shared<UniqueKernelHandle>(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    DWORD written = 0;
    REQUIRE(::WriteFile(pipe->childEnd(), "ok\n", 3, &written, nullptr));
    auto read = std::make_shared<std::promise<DWORD>>();
    std::future<DWORD> result = read->get_future();
    std::thread reader([pipe, stop, read] {
        char buffer[16];
        DWORD first = pipe->Read(buffer, sizeof(buffer), stop->get());
        DWORD second = pipe->Read(buffer, sizeof(buffer), stop->get());  // nothing comes
        read->set_value(first * 100 + second);
    });
    Pump(300);
    ::SetEvent(stop->get());
    // A hang here is the fault; a failing case leaves the thread behind.
    const bool ended = result.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    if (ended) reader.join();
    else reader.detach();
    REQUIRE(ended);
    CHECK_EQ(result.get(), static_cast<DWORD>(300));  // the three bytes that were there, then the stop
}

// A voice process that can no longer be started (its program gone) is reported once, not
// at every slider step, and is started again, after a pause, once it can be.
E2E_TEST(AVoiceProcessThatCannotStartIsReportedOnceAndTriedAgainLater) {
    START_PROGRAM(program, main);
    REQUIRE(HasVoiceProcesses(2));
    HWND rate = OptionControl(main, IdTRate);
    const auto position = [&] { return ::SendMessageW(rate, TBM_GETPOS, 0, 0); };
    {
        WithoutVoiceProcess away;
        for (DWORD id : VoiceProcesses()) {
            const parlowen::win32::UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, id));
            ::TerminateProcess(process.get(), 9);
        }
        REQUIRE(HasVoiceProcesses(0));
        // The user steps on until the failure shows: the first steps may still go to a
        // process whose end the program has not yet seen, or come within the pause after
        // the start it made.
        HWND box = nullptr;
        for (int step = 0; step < 20 && !box; ++step) {
            PressKey(rate, VK_LEFT);
            box = WaitForMessageBox(L"Parlowen2009", 500);
        }
        REQUIRE(box != nullptr);
        CHECK(MessageBoxText(box).find(L"parlowen-voice") != std::wstring::npos);
        CHECK(DismissMessageBox(box));
        for (int i = 0; i < 10; ++i) PressKey(rate, VK_LEFT);
        CHECK(WaitUntil([&] { return position() == -10; }, 5000));
        // Once the window answers, a handler that showed a box would be waiting in it.
        DWORD_PTR answer = 0;
        CHECK(::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer) != 0);
        CHECK(WaitForMessageBox(L"Parlowen2009", 0) == nullptr);
    }
    // One step a second, each a try once the pause has passed, without flooding the window.
    bool restarted = false;
    for (int second = 0; second < 70 && !restarted; ++second) {
        PressKey(rate, position() < 0 ? VK_RIGHT : VK_LEFT);
        restarted = WaitUntil([] { return !VoiceProcesses().empty(); }, 1000);
    }
    CHECK(restarted);
    CHECK(WaitForMessageBox(L"Parlowen2009", 0) == nullptr);
    CHECK_EQ(program.Close(), 0ul);
}

}  // namespace
