// What each request to a messenger's history control costs when it comes from another
// process, as the program's do: a stand-in messenger of each given history size is
// started, and every request is timed from here (milliseconds, median and longest of
// a few calls). The messenger's own processor time is not available from inside Wine;
// bench/run-capture-cost.sh reads it from /proc. Run it under Wine with
// bench/run-chat-requests.sh.
//
// Usage: parlowen_chat_requests_bench <history bytes>...
//        parlowen_chat_requests_bench --marshalling     which pointers reach the control
//        parlowen_chat_requests_bench --line-capacity   the buffer size EM_GETLINE hands
//            the control (the messenger prints it to its standard error)
#include "e2e.h"

#include <windows.h>
#include <richedit.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kTitle[] = L"与 moon 交谈中";
constexpr UINT kTimeoutMs = 20000;

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

double Now() {
    LARGE_INTEGER counter, frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class Messenger {
public:
    explicit Messenger(std::size_t historyBytes, const std::wstring& options = L"") {
        const std::wstring exe = ExeFolder() + L"parlowen-stand-in-messenger.exe";
        std::wstring commandLine = L"\"" + exe + L"\" " + std::to_wstring(historyBytes) + options;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &info)) {
            std::fprintf(stderr, "cannot start %ls\n", exe.c_str());
            std::exit(1);
        }
        ::CloseHandle(info.hThread);
        process = info.hProcess;
        ::WaitForInputIdle(process, 600000);
        for (int i = 0; i < 6000 && !window; ++i) {
            window = ::FindWindowW(nullptr, kTitle);
            if (!window) ::Sleep(100);
        }
        history = window ? ::FindWindowExA(window, nullptr, "RichEdit20A", nullptr) : nullptr;
    }
    ~Messenger() {
        if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) ::TerminateProcess(process, 1);
        ::CloseHandle(process);
    }
    bool Alive() const { return ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

    HANDLE process = nullptr;
    HWND window = nullptr;
    HWND history = nullptr;
};

LRESULT SendA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &result))
        return -999;
    return static_cast<LRESULT>(result);
}

LRESULT SendW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &result))
        return -999;
    return static_cast<LRESULT>(result);
}

// Times `request` a few times; prints median and longest wall time and what the last
// call answered.
void Time(const char* name, int calls, const std::function<std::string()>& request) {
    std::vector<double> times;
    std::string answer;
    for (int i = 0; i < calls; ++i) {
        const double start = Now();
        answer = request();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("  %-44s %9.2f %9.2f   %s\n", name, times[times.size() / 2], times.back(), answer.c_str());
    std::fflush(stdout);
}

// The first bytes of `bytes`, readable.
std::string Show(const std::string& bytes, std::size_t limit = 40) {
    const std::string shown = e2e::Describe(bytes.substr(0, limit));
    return bytes.size() > limit ? shown + "..." : shown;
}

std::string RowA(HWND history, WPARAM row, WORD capacity) {
    std::string buffer(static_cast<std::size_t>(capacity) + 1, '\0');
    *reinterpret_cast<WORD*>(buffer.data()) = capacity;
    const LRESULT copied = SendA(history, EM_GETLINE, row, reinterpret_cast<LPARAM>(buffer.data()));
    if (copied < 0) return "failed";
    buffer.resize(static_cast<std::size_t>(copied));
    return buffer;
}

std::wstring RowW(HWND history, WPARAM row, WORD capacity) {
    std::wstring buffer(static_cast<std::size_t>(capacity) + 1, L'\0');
    *reinterpret_cast<WORD*>(buffer.data()) = capacity;
    const LRESULT copied = SendW(history, EM_GETLINE, row, reinterpret_cast<LPARAM>(buffer.data()));
    if (copied < 0) return L"failed";
    buffer.resize(static_cast<std::size_t>(copied));
    return buffer;
}

std::string Ansi(const std::wstring& wide) {
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// A buffer in the messenger's own memory, for the requests whose pointers Windows
// does not carry across processes.
class RemoteBuffer {
public:
    RemoteBuffer(DWORD processId, std::size_t size) : size_(size) {
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (process_) address_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) ::CloseHandle(process_);
    }
    bool Write(const void* data, std::size_t size, std::size_t offset = 0) {
        return ::WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
    }
    bool Read(void* data, std::size_t size, std::size_t offset = 0) {
        return ::ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
    }
    char* address() const { return static_cast<char*>(address_); }
    explicit operator bool() const { return address_ != nullptr; }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    std::size_t size_;
};

void Measure(std::size_t historyBytes) {
    const double startedAt = Now();
    Messenger messenger(historyBytes);
    if (!messenger.history) {
        std::printf("history of %zu bytes: no messenger window\n", historyBytes);
        return;
    }
    HWND h = messenger.history;
    const auto rows = static_cast<WPARAM>(SendA(h, EM_GETLINECOUNT, 0, 0));
    const auto lastRow = rows - 1;
    const LRESULT lastStart = SendA(h, EM_LINEINDEX, lastRow, 0);
    const LRESULT lastLength = SendA(h, EM_LINELENGTH, static_cast<WPARAM>(lastStart), 0);
    const auto characters = static_cast<std::size_t>(lastStart + lastLength);
    std::printf("history of %zu bytes: %zu rows, %zu characters, ready after %.0f ms, window unicode %d\n",
                historyBytes, static_cast<std::size_t>(rows), characters, Now() - startedAt,
                ::IsWindowUnicode(h) ? 1 : 0);
    std::printf("  %-44s %9s %9s   %s\n", "request", "median ms", "max ms", "answer");

    const int few = historyBytes > (4u << 20) ? 3 : 7;
    Time("EM_GETLINECOUNT", 20, [&] { return std::to_string(SendA(h, EM_GETLINECOUNT, 0, 0)); });
    Time("EM_GETMODIFY", 20, [&] { return std::to_string(SendA(h, EM_GETMODIFY, 0, 0)); });
    Time("EM_GETSEL (no pointers)", 20, [&] {
        const LRESULT packed = SendA(h, EM_GETSEL, 0, 0);
        return std::to_string(packed);
    });
    Time("EM_GETSEL (pointers, marshalled?)", 20, [&] {
        DWORD from = 0xDEAD, to = 0xBEEF;
        SendA(h, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        return std::to_string(from) + "," + std::to_string(to);
    });
    Time("EM_LINEINDEX(-1), the caret's row", 20, [&] { return std::to_string(SendA(h, EM_LINEINDEX, static_cast<WPARAM>(-1), 0)); });
    Time("EM_LINEINDEX(0)", 20, [&] { return std::to_string(SendA(h, EM_LINEINDEX, 0, 0)); });
    Time("EM_LINEINDEX(row count / 2)", few, [&] { return std::to_string(SendA(h, EM_LINEINDEX, rows / 2, 0)); });
    Time("EM_LINEINDEX(last row)", few, [&] { return std::to_string(SendA(h, EM_LINEINDEX, lastRow, 0)); });
    Time("EM_LINELENGTH(0)", 20, [&] { return std::to_string(SendA(h, EM_LINELENGTH, 0, 0)); });
    Time("EM_LINELENGTH(last row's start)", few, [&] { return std::to_string(SendA(h, EM_LINELENGTH, static_cast<WPARAM>(lastStart), 0)); });
    Time("EM_LINEFROMCHAR(-1)", few, [&] { return std::to_string(SendA(h, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0)); });
    Time("EM_GETFIRSTVISIBLELINE", few, [&] { return std::to_string(SendA(h, EM_GETFIRSTVISIBLELINE, 0, 0)); });
    Time("EM_GETLINE(0) A", 20, [&] { return Show(RowA(h, 0, 1024)); });
    Time("EM_GETLINE(0) W", 20, [&] { return Show(Ansi(RowW(h, 0, 1024))); });
    Time("EM_GETLINE(last row) A", few, [&] { return Show(RowA(h, lastRow, 1024)); });
    Time("EM_GETLINE(last row) W", few, [&] { return Show(Ansi(RowW(h, lastRow, 1024))); });
    Time("WM_GETTEXTLENGTH A", few, [&] { return std::to_string(SendA(h, WM_GETTEXTLENGTH, 0, 0)); });
    Time("WM_GETTEXTLENGTH W", few, [&] { return std::to_string(SendW(h, WM_GETTEXTLENGTH, 0, 0)); });
    Time("GetWindowTextLengthW", few, [&] { return std::to_string(::GetWindowTextLengthW(h)); });
    Time("WM_GETTEXT A, 64-byte buffer", few, [&] {
        std::string buffer(64, '\0');
        const LRESULT copied = SendA(h, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
        return std::to_string(copied) + " " + Show(buffer.substr(0, copied > 0 ? static_cast<std::size_t>(copied) : 0));
    });
    Time("WM_GETTEXT W, 64-character buffer", few, [&] {
        std::wstring buffer(64, L'\0');
        const LRESULT copied = SendW(h, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
        return std::to_string(copied) + " " + Show(Ansi(buffer.substr(0, copied > 0 ? static_cast<std::size_t>(copied) : 0)));
    });
    Time("WM_GETTEXT A, whole text", few, [&] {
        std::string buffer(2 * characters + 3, '\0');
        const LRESULT copied = SendA(h, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
        return std::to_string(copied);
    });
    Time("WM_GETTEXT W, whole text", few, [&] {
        std::wstring buffer(2 * characters + 3, L'\0');
        const LRESULT copied = SendW(h, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
        return std::to_string(copied);
    });
    Time("GetScrollInfo(SB_VERT)", 20, [&] {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        const BOOL ok = ::GetScrollInfo(h, SB_VERT, &info);
        return std::to_string(ok) + " pos " + std::to_string(info.nPos) + " max " + std::to_string(info.nMax);
    });

    // Requests whose pointers are not carried across processes, given memory of the
    // messenger's own (which a real messenger may well refuse).
    DWORD processId = 0;
    ::GetWindowThreadProcessId(h, &processId);
    RemoteBuffer remote(processId, 4096);
    if (!remote) {
        std::printf("  (no memory in the messenger's process)\n");
        return;
    }
    Time("EM_GETTEXTLENGTHEX, remote memory", few, [&] {
        GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_USECRLF, CP_ACP};
        remote.Write(&how, sizeof how);
        return std::to_string(SendA(h, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(remote.address()), 0));
    });
    Time("EM_GETTEXTRANGE first 64, remote memory", 20, [&] {
        TEXTRANGEA range{{0, 64}, remote.address() + 64};
        remote.Write(&range, sizeof range);
        return std::to_string(SendA(h, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(remote.address())));
    });
    Time("EM_GETTEXTRANGE last 200, remote memory", few, [&] {
        TEXTRANGEA range{{static_cast<LONG>(characters) - 200, static_cast<LONG>(characters)}, remote.address() + 64};
        remote.Write(&range, sizeof range);
        const LRESULT copied = SendA(h, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(remote.address()));
        std::string text(1024, '\0');
        remote.Read(text.data(), text.size(), 64);
        return std::to_string(copied) + " " + Show(text.substr(0, text.find('\0')));
    });
}

// Whether a request that carries a pointer reaches the messenger intact: each is tried
// on a small messenger of its own, since a pointer into the wrong process may end it.
void CheckMarshalling() {
    std::printf("requests with pointers, sent from another process:\n");
    const auto check = [](const char* name, const std::function<std::string(HWND)>& request) {
        Messenger messenger(4096);
        if (!messenger.history) return;
        const std::string answer = request(messenger.history);
        ::Sleep(300);
        std::printf("  %-44s %s%s\n", name, answer.c_str(), messenger.Alive() ? "" : "  (the messenger died)");
    };
    check("EM_GETTEXTRANGE (first 10)", [](HWND h) {
        char text[64] = {};
        TEXTRANGEA range{{0, 10}, text};
        const LRESULT copied = SendA(h, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
        return "answer " + std::to_string(copied) + ", text " + Show(text);
    });
    check("EM_GETTEXTLENGTHEX", [](HWND h) {
        GETTEXTLENGTHEX how{GTL_NUMCHARS, CP_ACP};
        return "answer " + std::to_string(SendA(h, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
    });
    check("EM_EXGETSEL", [](HWND h) {
        CHARRANGE range{-5, -5};
        const LRESULT answer = SendA(h, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return "answer " + std::to_string(answer) + ", range " + std::to_string(range.cpMin) + "," + std::to_string(range.cpMax);
    });
    check("EM_GETSEL", [](HWND h) {
        DWORD from = 0xDEAD, to = 0xBEEF;
        const LRESULT answer = SendA(h, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        return "answer " + std::to_string(answer) + ", " + std::to_string(from) + "," + std::to_string(to);
    });
    check("EM_GETLINE", [](HWND h) {
        return "row 0 " + Show(RowA(h, 0, 200));
    });
    // A row longer than the buffer, asked for once and then again with room.
    for (WORD size : {8, 11, 12, 13, 40}) {
        const std::string name = "EM_GETLINE A, " + std::to_string(size) + " bytes for 11";
        check(name.c_str(), [size](HWND h) {
            const std::string small = RowA(h, 0, size);
            return Show(small) + ", then " + Show(RowA(h, 0, 200));
        });
    }
    for (WORD size : {8, 11, 12}) {
        const std::string name = "EM_GETLINE W, " + std::to_string(size) + " characters for 11";
        check(name.c_str(), [size](HWND h) {
            const std::string small = Ansi(RowW(h, 0, size));
            return Show(small) + ", then " + Show(RowA(h, 0, 200));
        });
    }
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // Wine's console would write \r\n
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--line-capacity") {
            Messenger messenger(4096, L" --show-line-requests");
            for (WORD size : {8, 24, 100, 200, 1000, 4000, 8192, 16384, 40000, 65535}) {
                const std::string row = RowA(messenger.history, 1, size);
                std::printf("sent capacity %u: answer %s\n", unsigned{size}, Show(row).c_str());
                std::fflush(stdout);
                ::Sleep(100);
            }
        } else if (std::string(argv[i]) == "--marshalling") {
            CheckMarshalling();
        } else {
            Measure(static_cast<std::size_t>(std::atoll(argv[i])));
        }
    }
    return 0;
}
