// The log commands of the main menu, driven as a user would: the menu command, then the
// program's own dialog answered through its controls.
#include "demo_chat/chat_window_win32.h"
#include "e2e.h"
#include "files_win32.h"
#include "program_win32.h"
#include "sapi_registration_win32.h"
#include "sound_recording_win32.h"
#include "win32/text_win32.h"
#include "win32/wine_win32.h"

#include <richedit.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

using namespace e2e;
using namespace parlowen::app;
using parlowen::demo::ChatWindow;
using parlowen::win32::WideToAnsi;

const std::wstring kFirstEntry = L"0000ff moon 20:16:30 说：\\r\n000000 见到你很高兴\\r\n";
const std::wstring kSecondEntry = L"008000 sky 20:17:02 说：\\r\n000000 我也是\\r\n";
const std::wstring kEntries = L"sel 44 44\n" + kFirstEntry + kSecondEntry;
const std::wstring kFolder = L"C:\\users\\Public\\";

// Two entries in the log: the friend's, then mine.
void ChatTwoMessages(ChatWindow& chat, HWND main) {
    chat.SetHistory(WideToAnsi(L"moon 20:16:30\r\n见到你很高兴"));
    chat.BringToFront();
    WaitUntil([&] { return ProbeLog(main).find(L"见到你很高兴") != std::wstring::npos; }, 6000);
    chat.AppendMessage("sky", WideToAnsi(L"我也是"), "20:17:02");
    WaitUntil([&] { return ProbeLog(main) == kEntries; }, 8000);
}

// Chooses a menu command and answers the file dialog it opens with `path`, after a
// screenshot of it when `screenshot` names one.
bool ChooseFile(const Program& program, HWND main, unsigned command, const std::wstring& path,
                const wchar_t* screenshot = nullptr) {
    ::PostMessageW(main, WM_COMMAND, command, 0);
    HWND dialog = WaitForDialogOf(program.processId());
    if (dialog && screenshot) {
        Pump(1500);  // until the dialog has painted its controls
        SaveScreenshot(nullptr, screenshot);
    }
    return dialog && AnswerFileDialog(dialog, path);
}

E2E_TEST(LogSavedAsRichOrPlainTextAndOpenedAgain) {
    START_PROGRAM(program, main);
    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    ChatTwoMessages(chat, main);
    REQUIRE(ProbeLog(main) == kEntries);

    // Rich text keeps the colours; plain text is GBK with CR LF, whatever the extension's case.
    REQUIRE(ChooseFile(program, main, IdNSaveMessage, kFolder + L"log.rtf", L"save-dialog"));
    CHECK(WaitUntil([&] { return FileBytes(kFolder + L"log.rtf").starts_with("{\\rtf"); }, 3000));
    const std::string plain = WideToAnsi(L"moon 20:16:30 说：\r\n见到你很高兴\r\nsky 20:17:02 说：\r\n我也是\r\n");
    REQUIRE(ChooseFile(program, main, IdNSaveMessage, kFolder + L"log.TXT"));
    WaitUntil([&] { return FileBytes(kFolder + L"log.TXT") == plain; }, 3000);
    CHECK_EQ(FileBytes(kFolder + L"log.TXT"), plain);
    REQUIRE(ChooseFile(program, main, IdNSaveMessage, kFolder + L"log.doc"));  // any other extension: plain text
    WaitUntil([&] { return FileBytes(kFolder + L"log.doc") == plain; }, 3000);
    CHECK_EQ(FileBytes(kFolder + L"log.doc"), plain);

    // After a plain-text save too, an RTF file opens with its colours; a plain-text file
    // opens as text.
    REQUIRE(ChooseFile(program, main, IdNOpenMessage, kFolder + L"log.rtf"));
    CHECK(WaitUntil([&] { return ProbeLog(main).substr(ProbeLog(main).find(L'\n')) == kEntries.substr(kEntries.find(L'\n')); }, 3000));
    ::SetWindowPos(chat.hwnd(), nullptr, 0, 420, 340, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(main, SW_RESTORE);
    Pump(3500);
    SaveScreenshot(main, L"log-after-open");
    REQUIRE(ChooseFile(program, main, IdNOpenMessage, kFolder + L"log.TXT"));
    CHECK(WaitUntil([&] { return ProbeLog(main).find(L"我也是") != std::wstring::npos &&
                                 ProbeLog(main).find(L"0000ff") == std::wstring::npos; }, 3000));

    // A cancelled dialog changes nothing.
    const std::wstring before = ProbeLog(main);
    REQUIRE(ChooseFile(program, main, IdNOpenMessage, L""));
    CHECK_EQ(ProbeLog(main), before);
    CHECK_EQ(program.Close(), 0ul);
}

// A log kept private behind a link, as dotfiles often are: a save writes the file the
// link leads to and keeps the link, the file's mode, and anything planted where an
// earlier version put its temporary file.
E2E_TEST(ASaveOverALinkKeepsTheLinkTheFileAndItsMode) {
    const std::optional<std::string> unixFolder = parlowen::win32::UnixPathOf(kFolder);
    REQUIRE(unixFolder.has_value());
    const std::string d = *unixFolder + "/links";
    REQUIRE(RunUnixShell("rm -rf '" + d + "' && mkdir -p '" + d + "/real' && cd '" + d + "' && printf old > real/log.rtf && "
                         "chmod 600 real/log.rtf && ln -s real/log.rtf log.rtf && printf victim > victim && "
                         "ln -s ../victim real/log.rtf.parlowen-saving"));
    START_PROGRAM(program, main);
    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    ChatTwoMessages(chat, main);
    REQUIRE(ChooseFile(program, main, IdNSaveMessage, kFolder + L"links\\log.rtf"));
    CHECK(WaitUntil([&] { return FileBytes(kFolder + L"links\\real\\log.rtf").starts_with("{\\rtf"); }, 3000));
    CHECK_EQ(RunUnixShell("cd '" + d + "' && readlink log.rtf && stat -c %a real/log.rtf && cat victim && echo && "
                          "readlink real/log.rtf.parlowen-saving && ls real").value_or("no answer"),
             std::string("real/log.rtf\n600\nvictim\n../victim\nlog.rtf\nlog.rtf.parlowen-saving\n"));
    CHECK_EQ(program.Close(), 0ul);
}

E2E_TEST(FailedOpenAndSaveLoseNothingAndClearAsksFirst) {
    START_PROGRAM(program, main);
    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    ChatTwoMessages(chat, main);
    REQUIRE(ProbeLog(main) == kEntries);

    // A file that is not there: reported with its name, and the log stays as it was.
    REQUIRE(ChooseFile(program, main, IdNOpenMessage, kFolder + L"missing.rtf"));
    HWND report = WaitForMessageBox(L"Parlowen2009");
    REQUIRE(report != nullptr);
    CHECK(MessageBoxText(report).find(L"missing.rtf") != std::wstring::npos);
    CHECK(DismissMessageBox(report));
    CHECK_EQ(ProbeLog(main), kEntries);

    // A large file opens only when the user says so; one larger than any log is refused
    // before it is read. The file is sparse, so it costs the test no disk.
    const std::wstring huge = kFolder + L"huge.txt";
    {
        const HANDLE file = ::CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        LARGE_INTEGER size{};
        size.QuadPart = (LONGLONG{256} << 20) + 1;
        CHECK(::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file));
        ::CloseHandle(file);
    }
    for (const int answer : {IDNO, IDYES}) {
        REQUIRE(ChooseFile(program, main, IdNOpenMessage, huge));
        HWND question = WaitForMessageBox(L"打开消息");
        REQUIRE(question != nullptr);
        CHECK(MessageBoxText(question).find(L"256.0 MB") != std::wstring::npos);
        if (answer == IDYES) SaveScreenshot(nullptr, L"large-file-question");
        CHECK(PressDialogButton(question, answer));
    }
    report = WaitForMessageBox(L"Parlowen2009");
    REQUIRE(report != nullptr);
    CHECK(MessageBoxText(report).find(L"huge.txt: the file is larger than 256 MB") != std::wstring::npos);
    CHECK(DismissMessageBox(report));
    CHECK_EQ(ProbeLog(main), kEntries);
    ::DeleteFileW(huge.c_str());

    // A target that cannot be replaced keeps its old content.
    const std::wstring locked = kFolder + L"locked.txt";
    WriteFileBytes(locked, "old log");
    const HANDLE holder = ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(ChooseFile(program, main, IdNSaveMessage, locked));
    report = WaitForMessageBox(L"Parlowen2009");
    CHECK(report != nullptr);
    if (report) CHECK(DismissMessageBox(report));
    ::CloseHandle(holder);
    CHECK_EQ(FileBytes(locked), std::string("old log"));

    // The clear question: No keeps the log, Yes empties it.
    ::PostMessageW(main, WM_COMMAND, IdNClearMessage, 0);
    HWND question = WaitForMessageBox(L"确认");
    REQUIRE(question != nullptr);
    CHECK_EQ(MessageBoxText(question), std::wstring(L"您确定要清空当前消息内容列表吗？"));
    ::ShowWindow(main, SW_RESTORE);
    Pump(500);
    SaveScreenshot(nullptr, L"clear-question");
    CHECK(PressDialogButton(question, IDNO));
    CHECK_EQ(ProbeLog(main), kEntries);
    ::PostMessageW(main, WM_COMMAND, IdNClearMessage, 0);
    question = WaitForMessageBox(L"确认");
    REQUIRE(question != nullptr);
    CHECK(PressDialogButton(question, IDYES));
    CHECK(WaitUntil([&] { return ProbeLog(main) == L"sel 0 0\n"; }, 3000));

    // Later entries still come, after the cleared log; the time display applies to them only.
    ::PostMessageW(main, WM_COMMAND, IdNShowTime1, 0);
    CHECK(WaitUntil([&] { return ProbeMenu(main, ProbedMenu::MenuBar).find(L"1 - 显示时间") != std::wstring::npos; },
                    3000));
    chat.AppendMessage("moon", "bye", "20:18:00");
    // The restored window gave the log the keyboard: its caret goes to the new body at once.
    const std::wstring byeEntry = L"sel 8 8\n0000ff moon 说：\\r\n000000 bye\\r\n";
    WaitUntil([&] { return ProbeLog(main) == byeEntry; }, 6000);
    CHECK_EQ(ProbeLog(main), byeEntry);
    CHECK_EQ(program.Close(), 0ul);
}

// The log pane's whole text, read as another program would: the probe's colour runs
// take too long on a long log.
std::string LogText(HWND main) {
    HWND pane = ::FindWindowExW(Page(main, IdTabSheet1), nullptr, L"RichEdit20A", nullptr);
    std::string text(static_cast<std::size_t>(::SendMessageW(pane, WM_GETTEXTLENGTH, 0, 0)) * 2 + 1, '\0');
    text.resize(static_cast<std::size_t>(
        ::SendMessageA(pane, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// Opens `path` through the menu and says yes to the question a large file brings.
bool OpenLargeFile(const Program& program, HWND main, const std::wstring& path) {
    if (!ChooseFile(program, main, IdNOpenMessage, path)) return false;
    HWND question = WaitForMessageBox(L"打开消息");
    return question != nullptr && PressDialogButton(question, IDYES);
}

// A long day's log: more than a million characters, whose RTF is larger than 8 MB. The
// program saves it, opens it again after saying that it is large, and clears it at once.
E2E_TEST(ALargeLogOfItsOwnMakingOpensAgainAndClears) {
    START_PROGRAM(program, main);
    std::string text;
    for (int i = 0; text.size() < (std::size_t{5} << 19); ++i)  // 2.5 MB
        text += WideToAnsi(L"今天我们聊了很久，说到了很多事情。明天再见吧，朋友们！ ") + std::to_string(i) + "\r\n";
    WriteFileBytes(kFolder + L"long.txt", text);
    REQUIRE(OpenLargeFile(program, main, kFolder + L"long.txt"));
    REQUIRE(WaitUntil([&] { return LogText(main) == text; }, 60000));

    REQUIRE(ChooseFile(program, main, IdNSaveMessage, kFolder + L"long.rtf"));
    const auto rtfSaved = [&] {
        const std::string rtf = FileBytes(kFolder + L"long.rtf");
        return rtf.size() > (std::size_t{8} << 20) && rtf.starts_with("{\\rtf") && rtf.find("}", rtf.size() - 4) != std::string::npos;
    };
    REQUIRE(WaitUntil(rtfSaved, 60000));
    ::PostMessageW(main, WM_COMMAND, IdNClearMessage, 0);
    HWND question = WaitForMessageBox(L"确认");
    REQUIRE(question != nullptr && PressDialogButton(question, IDYES));
    CHECK(WaitUntil([&] { return LogText(main).empty(); }, 10000));

    REQUIRE(OpenLargeFile(program, main, kFolder + L"long.rtf"));
    CHECK(WaitUntil([&] { return LogText(main) == text; }, 60000));
    ::ShowWindow(main, SW_RESTORE);
    Pump(1500);
    SaveScreenshot(main, L"large-log-opened");

    // Clearing a log this long, which took a rich edit minutes when it deleted the text.
    ::PostMessageW(main, WM_COMMAND, IdNClearMessage, 0);
    question = WaitForMessageBox(L"确认");
    REQUIRE(question != nullptr && PressDialogButton(question, IDYES));
    CHECK(WaitUntil([&] { return LogText(main).empty(); }, 10000));
    ::DeleteFileW((kFolder + L"long.txt").c_str());
    ::DeleteFileW((kFolder + L"long.rtf").c_str());
    CHECK_EQ(program.Close(), 0ul);
}

E2E_TEST(LogExportedAsSpeechIntoAWavFile) {
    RecordingSpeech speech;
    InstallTestVoices({L"Test Voice One"});
    START_PROGRAM(program, main);

    // An empty log: the message, and no dialog.
    ::PostMessageW(main, WM_COMMAND, IdExportMessageToWav1, 0);
    HWND message = WaitForMessageBox(L"Parlowen2009");
    REQUIRE(message != nullptr);
    CHECK_EQ(MessageBoxText(message), std::wstring(L"当前不能导出消息，消息内容为空!"));
    CHECK(DismissMessageBox(message));
    CHECK(WaitForDialogOf(program.processId(), 500) == nullptr);

    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    ChatTwoMessages(chat, main);
    REQUIRE(ProbeLog(main) == kEntries);

    // The whole log, into a name typed without its extension.
    REQUIRE(ChooseFile(program, main, IdExportMessageToWav1, kFolder + L"chat"));
    std::optional<WavFacts> wav;
    CHECK(WaitUntil([&] { return (wav = ReadWav(kFolder + L"chat.wav")) && wav->dataBytes; }, 5000));
    REQUIRE(wav.has_value());
    CHECK_EQ(wav->formatTag, static_cast<WORD>(1));  // PCM
    CHECK_EQ(wav->samplesPerSecond, 16000ul);
    CHECK_EQ(wav->bitsPerSample, static_cast<WORD>(16));
    CHECK_EQ(wav->channels, static_cast<WORD>(1));
    CHECK(wav->dataBytes.value_or(0) > 0);
    CHECK_EQ(static_cast<std::size_t>(wav->riffBytes) + 8, wav->fileBytes);
    CHECK_EQ(wav->comment, Utf8(L"moon 20:16:30 说：\r\n见到你很高兴\r\nsky 20:17:02 说：\r\n我也是\r\n"));

    // Only the selected lines.
    HWND log = ::FindWindowExW(Page(main, IdTabSheet1), nullptr, L"RichEdit20A", nullptr);
    ::SendMessageW(log, EM_SETSEL, 24, 43);
    REQUIRE(ChooseFile(program, main, IdExportMessageToWav1, kFolder + L"part.wav"));
    CHECK(WaitUntil([&] { return (wav = ReadWav(kFolder + L"part.wav")) && wav->dataBytes; }, 5000));
    CHECK_EQ(wav ? wav->comment : std::string(), Utf8(L"sky 20:17:02 说：\r\n我也是"));

    // No voice selected in the mine box: nothing written, nothing said.
    // (Text typed into the box selects no entry.)
    HWND mineBox = OptionControl(main, IdCBVoice);
    ::SendMessageW(mineBox, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ::SendMessageW(Page(main, IdTabSheet2), WM_COMMAND, MAKEWPARAM(IdCBVoice, CBN_EDITCHANGE),
                   reinterpret_cast<LPARAM>(mineBox));
    REQUIRE(ChooseFile(program, main, IdExportMessageToWav1, kFolder + L"none.wav"));
    Pump(1000);
    CHECK(::GetFileAttributesW((kFolder + L"none.wav").c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK(WaitForMessageBox(L"Parlowen2009", 300) == nullptr);
    CHECK_EQ(program.Close(), 0ul);
}

// Without system voices the export speaks through eSpeak NG: real speech in the file.
E2E_TEST(LogExportedAsEspeakSpeechIntoAWavFile) {
    START_PROGRAM(program, main);
    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    ChatTwoMessages(chat, main);
    REQUIRE(ProbeLog(main) == kEntries);

    REQUIRE(ChooseFile(program, main, IdExportMessageToWav1, kFolder + L"espeak.wav"));
    std::optional<WavFacts> wav;
    CHECK(WaitUntil([&] { return (wav = ReadWav(kFolder + L"espeak.wav")) && wav->riffBytes + 8 == wav->fileBytes; },
                    20000));
    REQUIRE(wav.has_value());
    CHECK_EQ(wav->formatTag, static_cast<WORD>(1));
    CHECK_EQ(wav->samplesPerSecond, 16000ul);
    CHECK_EQ(wav->bitsPerSample, static_cast<WORD>(16));
    CHECK_EQ(wav->channels, static_cast<WORD>(1));
    // Two headers and two short lines of Mandarin take a few seconds, not a moment nor a minute.
    const double seconds = wav->dataBytes.value_or(0) / 32000.0;
    const std::string bytes = FileBytes(kFolder + L"espeak.wav");
    std::vector<std::int16_t> samples(bytes.size() > 44 ? (bytes.size() - 44) / 2 : 0);
    if (!samples.empty()) std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    const double rms = SoundRecording::Rms(samples);
    std::printf("    measured: exported WAV %.2f s, RMS %.3f of full scale\n", seconds, rms);
    CHECK(seconds > 3 && seconds < 30);
    CHECK(rms > 0.02);
    CHECK_EQ(program.Close(), 0ul);
}

// A voice that hangs while it renders: the export is given up with a clear message once
// nothing more is written, the file chosen keeps what it held, and the program goes on
// and ends as always, its settings saved.
E2E_TEST(AnExportWhoseVoiceHangsIsGivenUpAndTheFileKept) {
    START_PROGRAM(program, main);
    ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    ChatTwoMessages(chat, main);
    REQUIRE(ProbeLog(main) == kEntries);
    const std::wstring path = kFolder + L"kept.wav";
    WriteFileBytes(path, "old sound");
    for (DWORD voice : VoiceProcesses()) REQUIRE(HoldThreadsOf(voice) > 0);

    REQUIRE(ChooseFile(program, main, IdExportMessageToWav1, path));
    HWND message = WaitForMessageBox(L"Parlowen2009", 30000);
    REQUIRE(message != nullptr);
    Pump(1000);  // until the box has painted its text
    SaveScreenshot(nullptr, L"export-given-up");
    CHECK(MessageBoxText(message).find(L"nothing was rendered for 15 seconds") != std::wstring::npos);
    CHECK(DismissMessageBox(message));
    CHECK_EQ(FileBytes(path), std::string("old sound"));
    CHECK(WaitUntil([&] { return ::GetFileAttributesW((path + L".parlowen-saving").c_str()) == INVALID_FILE_ATTRIBUTES; },
                    5000));
    CHECK_EQ(program.Close(), 0ul);
    CHECK(::GetFileAttributesW(SettingsPath().c_str()) != INVALID_FILE_ATTRIBUTES);
}

}  // namespace
