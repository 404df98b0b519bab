// The program over a long day: first its idle cost (no chat window in front, then a
// tracked chat window whose 1 MB history does not change), then MESSAGES messages,
// alternating the user's and the friend's, one per capture tick, through the real
// program with the recording speech server. Every 1,000 messages it prints the
// program's private bytes, handles, GDI and USER objects as Windows counts them (Wine
// answers 0), its handles in Wine's handle list, its windows, its resident and anonymous
// memory and its CPU time per message as Linux counts them; at the end it checks the log
// holds every message exactly once. Then it clears the log and sends another thousand:
// memory that the log's text held is used again, memory lost on the way is not. Run it
// under Wine with bench/run-soak.sh [MESSAGES] [IDLE_SECONDS] [silent] [fast]; "fast"
// posts the capture timer's message itself instead of waiting for the timer, and sends
// the next message as soon as the last one is logged.
#include "demo_chat/chat_window_win32.h"
#include "e2e.h"
#include "files_win32.h"
#include "program_win32.h"
#include "sapi_registration_win32.h"
#include "win32/com_win32.h"
#include "win32/text_win32.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using e2e::Pump;

// Under Wine the program's own counters answer 0, and GetProcessTimes asked about
// another process answers with the asker's own times; its Linux process tells the truth,
// in /proc through drive Z:. Empty where there is no such folder (on Windows).
std::optional<std::string> FindProgramProcFolder() {
    const std::string exePath = parlowen::win32::WideToAnsi(e2e::DriverFolder() + L"parlowen.exe");
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> found;
    do {
        const std::string folder = std::string("Z:\\proc\\") + entry.cFileName;
        const std::string commandLine = e2e::FileBytes(parlowen::win32::AnsiToWide(folder + "\\cmdline"));
        // Other checkouts may run a parlowen.exe too: only the one beside this program counts.
        if (commandLine.find(exePath) != std::string::npos) found = folder;
    } while (!found && ::FindNextFileA(search, &entry));
    ::FindClose(search);
    return found;
}

// The program under measure: its handle, and its folder in /proc where there is one,
// looked for once, as the program runs in one process all along.
struct MeasuredProcess {
    HANDLE handle = nullptr;
    std::optional<std::string> procFolder;
};

std::string ProcFile(const std::string& procFolder, const char* name) {
    return e2e::FileBytes(parlowen::win32::AnsiToWide(procFolder + "\\" + name));
}

// The CPU seconds of the whole process, its ended threads included: utime and stime,
// the 14th and 15th fields of its stat, in Linux's fixed 100 ticks a second.
std::optional<double> LinuxCpuSeconds(const std::string& procFolder) {
    const std::string stat = ProcFile(procFolder, "stat");
    const std::size_t afterName = stat.rfind(')');
    if (afterName == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(afterName + 1));
    std::string skipped;
    for (int field = 3; field <= 13; ++field) fields >> skipped;  // state to cmajflt
    long long user = 0, system = 0;
    if (!(fields >> user >> system)) return std::nullopt;
    return static_cast<double>(user + system) / 100.0;
}

double CpuSeconds(const MeasuredProcess& process) {
    if (process.procFolder)
        if (const std::optional<double> seconds = LinuxCpuSeconds(*process.procFolder)) return *seconds;
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(process.handle, &created, &exited, &kernel, &user);
    const auto seconds = [](FILETIME t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// CPU of the program, as percent of one core, over `seconds` of pumping the chat's messages.
double CpuPercentOver(const MeasuredProcess& process, int seconds) {
    const double before = CpuSeconds(process);
    Pump(static_cast<DWORD>(seconds) * 1000);
    return 100.0 * (CpuSeconds(process) - before) / seconds;
}

// The resident and the anonymous (private) kilobytes, as Linux counts them.
struct LinuxMemory {
    long residentKb = -1, anonymousKb = -1;
};

LinuxMemory ProgramLinuxMemory(const MeasuredProcess& process) {
    if (!process.procFolder) return {};
    const std::string status = ProcFile(*process.procFolder, "status");
    const auto field = [&status](const char* name) {
        const std::size_t at = status.find(name);
        return at == std::string::npos ? -1L : std::atol(status.c_str() + at + std::strlen(name));
    };
    return {field("VmRSS:"), field("RssAnon:")};
}

// Wine also answers 0 to GetProcessHandleCount and GetGuiResources; its list of every open
// handle (NtQuerySystemInformation's SystemHandleInformation) does hold the program's.
struct SystemHandleEntry {
    ULONG ownerProcessId;
    BYTE objectType, flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};
struct SystemHandles {
    ULONG count;
    SystemHandleEntry entries[1];
};

long HandlesHeldBy(DWORD processId) {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return -1;
    std::vector<BYTE> buffer(1 << 20);
    ULONG needed = 0;
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status < 0) return -1;
    const auto& handles = *reinterpret_cast<const SystemHandles*>(buffer.data());
    return static_cast<long>(std::count_if(handles.entries, handles.entries + handles.count,
                                           [&](const SystemHandleEntry& e) { return e.ownerProcessId == processId; }));
}

// The program's windows, top-level and child: the bulk of its USER objects.
struct WindowCount {
    DWORD processId;
    long windows = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM state) {
    ++reinterpret_cast<WindowCount*>(state)->windows;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM state) {
    auto& count = *reinterpret_cast<WindowCount*>(state);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != count.processId) return TRUE;
    ++count.windows;
    ::EnumChildWindows(window, &CountChild, state);
    return TRUE;
}

long WindowsOf(DWORD processId) {
    WindowCount count{processId};
    ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count.windows;
}

void PrintResources(HWND main, const MeasuredProcess& process, int messages, double cpuPerMessageMs,
                    double wallPerMessageMs = 0) {
    const DWORD processId = ::GetProcessId(process.handle);
    const e2e::ProgramResources held = e2e::ProbeResources(main);
    const LinuxMemory linux = ProgramLinuxMemory(process);
    std::printf("soak: %6d messages  private %8.1f KB  handles %5lu  GDI %4lu  USER %4lu  | handle list %5ld  "
                "windows %4ld  resident %7ld KB  anonymous %7ld KB  CPU %6.2f ms/message  wall %7.1f ms/message\n",
                messages, held.privateBytes / 1024.0, held.handles, held.gdiObjects, held.userObjects,
                HandlesHeldBy(processId), WindowsOf(processId), linux.residentKb, linux.anonymousKb, cpuPerMessageMs,
                wallPerMessageMs);
    std::fflush(stdout);
}

// A header time that differs for every message: hh:mm:ss counted from 08:00:00.
std::string TimeOf(int n) {
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", 8 + n / 3600 % 16, n / 60 % 60, n % 60);
    return time;
}

HWND LogPane(HWND main) {
    return ::FindWindowExW(e2e::Page(main, parlowen::app::IdTabSheet1), nullptr, L"RichEdit20A", nullptr);
}

// One capture tick: the timer's, or in a fast run the same message posted at once, and
// then as long as the program takes to log the new message (a second at most, as the
// timer would tick by then). The log's length, asked for as wide text, costs nothing
// across processes.
void Tick(HWND main, bool fast) {
    if (!fast) {
        Pump(1050);
        return;
    }
    HWND pane = LogPane(main);
    const LRESULT before = ::SendMessageW(pane, WM_GETTEXTLENGTH, 0, 0);
    ::PostMessageW(main, WM_TIMER, parlowen::app::IdTimer2, 0);
    e2e::WaitUntil([&] { return ::SendMessageW(pane, WM_GETTEXTLENGTH, 0, 0) != before; }, 1000);
}

// Sends `count` messages after the first `first - 1`, alternating the user's and the
// friend's, one per tick, printing the resources every `every` messages.
void SendMessages(parlowen::demo::ChatWindow& chat, HWND main, const MeasuredProcess& process, int first,
                  int count, int every, bool fast) {
    // The wall time tells how much of the CPU a message is the program's work that runs
    // at a fixed rate whatever comes (the reader's watch, the ticks).
    double cpuAtLastPrint = CpuSeconds(process);
    ULONGLONG wallAtLastPrint = ::GetTickCount64();
    for (int n = first; n < first + count; ++n) {
        chat.AppendMessage(n % 2 ? "sky" : "moon", "soak message " + std::to_string(n), TimeOf(n));
        Tick(main, fast);
        if (n % every == 0 || n == first + count - 1) {
            const double cpu = CpuSeconds(process);
            const ULONGLONG wall = ::GetTickCount64();
            const int sent = n % every ? n % every : every;
            PrintResources(main, process, n, 1000.0 * (cpu - cpuAtLastPrint) / sent,
                           static_cast<double>(wall - wallAtLastPrint) / sent);
            cpuAtLastPrint = cpu;
            wallAtLastPrint = wall;
        }
    }
}

std::string MegabyteHistory() {
    std::string text;
    for (int i = 0; text.size() < (1u << 20); ++i)
        text += "sky 20:15:" + std::to_string(10 + i % 50) + "\r\nmessage number " + std::to_string(i) + "\r\n";
    return text + "moon 20:16:30\r\nthe last one";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int messages = argc > 1 ? _wtoi(argv[1]) : 10000;
    const int idleSeconds = argc > 2 ? _wtoi(argv[2]) : 60;
    // "silent": no recording speech server, so that what grows is the program's alone.
    bool recordSpeech = true, fast = false, group = false;
    for (int i = 3; i < argc; ++i) {
        recordSpeech = recordSpeech && std::wstring(argv[i]) != L"silent";
        fast = fast || std::wstring(argv[i]) == L"fast";
        group = group || std::wstring(argv[i]) == L"group";
    }
    parlowen::win32::ComApartment com;
    std::optional<e2e::RecordingSpeech> speech;
    if (recordSpeech) {
        speech.emplace();
        e2e::InstallTestVoices({L"Soak Voice"});
    }
    e2e::RemoveSettings();
    e2e::Program program;
    program.Start();
    HWND main = program.MainWindowAfterStartUp();
    if (!main) {
        std::printf("soak: the program did not start\n");
        return 1;
    }
    const MeasuredProcess process{
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.processId()),
        FindProgramProcFolder()};

    std::printf("idle: no chat window: %.2f %% of one core over %d s\n", CpuPercentOver(process, idleSeconds),
                idleSeconds);
    {
        parlowen::demo::ChatWindow longChat(std::wstring_view(L"与 sun 交谈中"));
        longChat.SetHistory(MegabyteHistory());
        longChat.BringToFront();
        Pump(3000);  // tracked, and its last message handled
        std::printf("idle: tracking a 1 MB history: %.2f %% of one core over %d s\n",
                    CpuPercentOver(process, idleSeconds), idleSeconds);
        std::fflush(stdout);
    }

    // A chat of its own for the soak, so that its history is only what the soak sends; with
    // "group", a group window, where moon is a member, heard in a voice of its own.
    parlowen::demo::ChatWindow chat(std::wstring_view(group ? L"技术交流群" : L"与 moon 交谈中"));
    chat.SetHistory("moon 07:59:59\r\nstart");
    chat.BringToFront();
    Pump(3000);
    // Every 1,000 messages, or four times in a shorter run.
    const int every = std::min(1000, std::max(1, messages / 4));
    PrintResources(main, process, 0, 0);
    SendMessages(chat, main, process, 1, messages, every, fast);
    Pump(2000);

    // Every message in the log exactly once, in the order sent: the log pane's text,
    // read as another program would (the probe's colour runs take too long on a long log).
    HWND pane = LogPane(main);
    std::string ansi(64u << 20, '\0');
    const LRESULT copied = ::SendMessageA(pane, WM_GETTEXT, ansi.size(), reinterpret_cast<LPARAM>(ansi.data()));
    ansi.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    const std::wstring log = parlowen::win32::AnsiToWide(ansi);
    int missing = 0, doubled = 0, outOfOrder = 0;
    std::size_t previous = 0;
    for (int n = 1; n <= messages; ++n) {
        const std::wstring line = L"soak message " + std::to_wstring(n) + L"\r";
        const std::size_t at = log.find(line);
        if (at == std::wstring::npos) {
            if (++missing <= 10) std::printf("soak: message %d is not in the log\n", n);
            continue;
        }
        if (log.find(line, at + 1) != std::wstring::npos) ++doubled;
        if (at < previous) ++outOfOrder;
        previous = at;
    }
    std::printf("soak: %d messages sent: %d missing, %d doubled, %d out of order\n", messages, missing, doubled,
                outOfOrder);

    ::PostMessageW(main, WM_COMMAND, parlowen::app::IdNClearMessage, 0);
    HWND question = e2e::WaitForMessageBox(L"确认");
    const bool cleared = question != nullptr && e2e::PressDialogButton(question, IDYES);
    if (cleared) {
        Pump(500);
        std::printf("soak: log cleared\n");
        PrintResources(main, process, messages, 0);
        SendMessages(chat, main, process, messages + 1, every, every, fast);
    } else {
        std::printf("soak: the log could not be cleared\n");
    }
    ::CloseHandle(process.handle);
    program.Close();
    return cleared && missing + doubled + outOfOrder == 0 ? 0 : 1;
}
