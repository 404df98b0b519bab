// How long the program's GUI thread is held: asks the main window for nothing
// (WM_NULL) every 10 ms for the given number of seconds and prints how long the
// slowest answers took. A tick that keeps the thread busy delays the answer by as long.
// It also tells how long the program's log is, which shows that the program followed
// the chat. Run by bench/run-capture-cost.sh, never as a test.
//
// Usage: parlowen_gui_hold_probe <seconds>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

BOOL CALLBACK KeepRichEdit(HWND child, LPARAM found) {
    wchar_t name[32] = L"";
    ::GetClassNameW(child, name, 32);
    if (std::wstring_view(name) != L"RichEdit20A") return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10;
    HWND main = nullptr;
    for (int i = 0; i < 600 && !main; ++i) {
        main = ::FindWindowW(L"TFmain", nullptr);
        if (!main) ::Sleep(100);
    }
    if (!main) {
        std::printf("no main window\n");
        return 1;
    }
    std::vector<double> answers;
    const double until = Now() + 1000 * seconds;
    while (Now() < until) {
        const double start = Now();
        DWORD_PTR result;
        if (!::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) {
            std::printf("no answer within 5 s\n");
            return 1;
        }
        answers.push_back(Now() - start);
        ::Sleep(10);
    }
    std::sort(answers.begin(), answers.end());
    HWND log = nullptr;
    ::EnumChildWindows(main, &KeepRichEdit, reinterpret_cast<LPARAM>(&log));
    DWORD_PTR logLength = 0;
    if (log) ::SendMessageTimeoutW(log, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &logLength);
    std::printf("%zu answers, median %.2f ms, 99th percentile %.2f ms, longest %.2f ms; log %u characters\n",
                answers.size(), answers[answers.size() / 2], answers[answers.size() * 99 / 100], answers.back(),
                static_cast<unsigned>(logLength));
    return 0;
}
