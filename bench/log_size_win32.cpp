// How long the log's commands hold the program's window as the log grows: opening a
// file of N entries into an empty log and over a log of N entries, and clearing a log of
// N entries, for N = 1,000, 2,000 and 10,000 (or the counts given), through the real
// program's menu and dialogs. The files are RTF as the program saves it: a coloured
// header line and a black body per entry. Each time runs from the dialog closing to the
// window answering again. First it appends 10,000 entries to a log pane of its own, in a
// hidden window (as the program's is while it sits in the tray), and prints the time an
// entry over each thousand: appending should cost the same at any length of the log. Run it under Wine with bench/run-log-size.sh [COUNT ...].
#include "e2e.h"
#include "files_win32.h"
#include "program_win32.h"
#include "log/log_control_win32.h"
#include "log/log_pane_win32.h"
#include "log/message_log.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using namespace e2e;
using parlowen::app::IdNClearMessage;
using parlowen::app::IdNOpenMessage;

const std::wstring kFolder = L"C:\\users\\Public\\";

// " 说：" and "见到你很高兴" as the program's RTF escapes them.
constexpr char kSaid[] = " \\'cb\\'b5\\'a3\\'ba";
constexpr char kBody[] = "\\'bc\\'fb\\'b5\\'bd\\'c4\\'e3\\'ba\\'dc\\'b8\\'df\\'d0\\'cb";

std::string LogOfEntries(int entries) {
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg936\\uc1\\deff0\\deflang2052\\deflangfe2052{\\fonttbl{\\f0\\fcharset134 Tahoma;}}\r\n"
        "{\\colortbl;\\red0\\green0\\blue255;\\red0\\green0\\blue0;\\red0\\green128\\blue0;}\r\n"
        "\\pard\\sl-240\\slmult1 \\lang2052\\fs16\\f0 ";
    for (int n = 0; n < entries; ++n) {
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", 8 + n / 3600 % 16, n / 60 % 60, n % 60);
        rtf += std::string(n % 2 ? "\\cf3 sky " : "\\cf1 moon ") + time + kSaid + "\\par\r\n\\cf2 " + kBody + " " +
               std::to_string(n) + "\\par\r\n";
    }
    return rtf + "\\cf0 \\par\r\n}";
}

// Milliseconds until the window answers, from `since`.
double MillisecondsUntilAnswered(HWND main, const LARGE_INTEGER& since) {
    DWORD_PTR result;
    ::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 600000, &result);
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - since.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now;
}

// Opens `path` through the menu, saying yes when the program asks about its size; the
// time runs from the last answer.
double OpenMs(const Program& program, HWND main, const std::wstring& path) {
    ::PostMessageW(main, WM_COMMAND, IdNOpenMessage, 0);
    HWND dialog = WaitForDialogOf(program.processId());
    if (!dialog || !AnswerFileDialog(dialog, path)) return -1;
    const double untilAnswered = MillisecondsUntilAnswered(main, Now());
    // While the question is up, the window answers from its modal loop.
    HWND question = ::FindWindowW(L"#32770", L"打开消息");
    if (!question) return untilAnswered;
    const LARGE_INTEGER start = Now();
    PressDialogButton(question, IDYES);
    return MillisecondsUntilAnswered(main, start);
}

long LogLength(HWND main);

// From the question box going (its Yes pressed) until the log reads empty: each look
// waits for the window to answer. Under Wine a message box takes up to two seconds to go
// after a button press that no input follows, so the time starts when it is gone.
double ClearMs(HWND main) {
    ::PostMessageW(main, WM_COMMAND, IdNClearMessage, 0);
    HWND question = WaitForMessageBox(L"确认");
    if (!question) return -1;
    ::PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(question, IDYES)));
    while (::IsWindow(question)) ::Sleep(1);
    const LARGE_INTEGER start = Now();
    while (LogLength(main) != 0) ::Sleep(1);
    return MillisecondsUntilAnswered(main, start);
}

// Entries appended the program's way to a log pane like the program's. Its window is
// hidden: under Wine a paint of the pane costs some 25 ms, which would hide the appends'
// own cost (the program paints at most once between messages it handles).
void PrintAppendCost() {
    ::LoadLibraryW(L"riched20.dll");
    HWND frame = ::CreateWindowExW(0, L"STATIC", L"log pane", WS_OVERLAPPEDWINDOW, 40, 40, 320, 520,
                                   nullptr, nullptr, nullptr, nullptr);
    const HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    HWND pane = parlowen::log::CreateLogControl(frame, {0, 0, 300, 480}, 1, font);
    parlowen::log::LogCaret caret;  // the program's: the caret waits for the focus
    parlowen::log::LogPaneWin32 log(pane, &caret);
    const std::string said = " \xCB\xB5\xA3\xBA", body = "\xBC\xFB\xB5\xBD\xC4\xE3\xBA\xDC\xB8\xDF\xD0\xCB ";
    double first = 0;
    for (int block = 0; block < 10; ++block) {
        const LARGE_INTEGER start = Now();
        for (int n = block * 1000; n < (block + 1) * 1000; ++n) {
            parlowen::log::AppendLogEntry(log, (n % 2 ? "sky" : "moon") + said, body + std::to_string(n),
                                          n % 2 ? parlowen::chat::Role::Mine : parlowen::chat::Role::Friend);
        }
        const double perEntry = MillisecondsUntilAnswered(frame, start) / 1000;
        if (block == 0) first = perEntry;
        std::printf("log size: append, entries %5d to %5d: %.3f ms an entry (%.2f times the first thousand)\n",
                    block * 1000 + 1, (block + 1) * 1000, perEntry, perEntry / first);
        std::fflush(stdout);
    }
    ::DestroyWindow(frame);
}

long LogLength(HWND main) {
    HWND pane = ::FindWindowExW(Page(main, parlowen::app::IdTabSheet1), nullptr, L"RichEdit20A", nullptr);
    return static_cast<long>(::SendMessageW(pane, WM_GETTEXTLENGTH, 0, 0));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(_wtoi(argv[i]));
    if (counts.empty()) counts = {1000, 2000, 10000};
    PrintAppendCost();
    RemoveSettings();
    Program program;
    program.Start();
    HWND main = program.MainWindowAfterStartUp();
    if (!main) {
        std::printf("log size: the program did not start\n");
        return 1;
    }
    for (const int entries : counts) {
        const std::wstring path = kFolder + L"log-" + std::to_wstring(entries) + L".rtf";
        const std::string rtf = LogOfEntries(entries);
        WriteFileBytes(path, rtf);
        const double intoEmpty = OpenMs(program, main, path);
        const long length = LogLength(main);
        const double overFull = OpenMs(program, main, path);
        const bool sameLog = LogLength(main) == length;
        const double clear = ClearMs(main);
        std::printf("log size: %6d entries (%5zu KB of RTF, %7ld characters): open into an empty log %8.1f ms, "
                    "open over a log of as many %8.1f ms, clear %8.1f ms%s%s\n",
                    entries, rtf.size() / 1024, length, intoEmpty, overFull, clear,
                    sameLog ? "" : "  (the second open gave another length)",
                    LogLength(main) == 0 ? "" : "  (the log was not empty after the clear)");
        std::fflush(stdout);
        ::DeleteFileW(path.c_str());
    }
    return program.Close() == 0 ? 0 : 1;
}
