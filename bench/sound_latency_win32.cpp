// How soon the real program's speech is heard at the sound server, and how soon it
// stops, with the eSpeak NG engine under Wine. The benchmark plays the messenger (a chat
// window of a friend "moon" in its own thread) and listens to the private audio server's
// null sink through parlowen-sound-probe.exe.so, which stamps the first sample of each
// sound and of each silence with Wine's performance counter. The driver, the program and
// the probe all read that one counter, so every figure is a difference of two readings
// of the same clock:
//   - message shown → first audible sample: from the moment the message is in the chat
//     window to the first sample the sink plays. Each message is added at a random moment
//     between two capture ticks; the program's reader, which watches the followed history
//     between the ticks, is what finds it, so the wait for the 1 s tick is not in it.
//     Split into shown → read taken (the program's window has the read) and read taken →
//     first audible sample (speaking: the voice process and the sound server).
//   - the old utterance silent: a long message is being read when the same friend's next
//     message comes; the program cuts the first off and reads the second on the same
//     sound stream. Heard as it is, the second follows the first within a few
//     milliseconds with no silence between them, so the sink cannot tell where one ends.
//     The friend's volume slider is therefore moved to 0 after the first has started:
//     the second is asked for, and cuts the first, exactly as before, but plays silence,
//     and the cut is the start of the silence that lasts. A run where the old message
//     was in a pause of its own at the read (a pause leading into the cut) cannot say
//     when the cut came and is left out, and counted.
//   - 停止朗读 → silence: from posting the menu item's command to the program's window
//     (the menu's own opening and closing under the user's hand are not in it) to the
//     start of the silence that lasts; counted the same way when the voice was already in
//     a pause.
// With PARLOWEN_BENCH_BEHIND set, another chat window comes to the front once moon's has
// been heard, and the first sounds are measured in moon's window behind it, which the
// program looks at once a second instead of watching it.
// With PARLOWEN_BENCH_GROUP set, "moon" is a member of a group window instead: a member's
// message waits for the one being said rather than cutting it, so the cut is not measured.
// The read of a message is the first read taken after it was shown. Messages are added
// only while no read is in flight (100 ms or more after the latest read was taken), so
// that the read is the one that finds the message.
//
// The clock is checked at the start: the probe plays clicks onto the sink and prints when
// the server says each will play; the gap to when the listener heard it is printed as the
// alignment error. The listener stamps a sample when the monitor hands it over, which is
// up to one sink block (a few ms) before the sink's clock plays it: figures err early by
// that much. The sink runs at the lowest latency a stream asks for, and the listener asks
// for 5 ms; the voice process's stream alone had it at 15 ms, so on a sink of its own
// its speech may start up to 10 ms later than here. Run it with bench/run-sound-latency.sh.
#include "app/control_ids.h"
#include "demo_chat/chat_window_win32.h"
#include "e2e.h"
#include "program_win32.h"
#include "win32/handles_win32.h"
#include "win32/stoppable_pipe_win32.h"
#include "win32/text_win32.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using e2e::Pump;
using e2e::WaitUntil;
using parlowen::win32::UniqueKernelHandle;
using parlowen::win32::WideToAnsi;

using Time = long long;  // performance-counter ticks

Time Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

Time TicksPerSecond() {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

double Ms(Time ticks) { return 1000.0 * static_cast<double>(ticks) / static_cast<double>(TicksPerSecond()); }
Time Ticks(double ms) { return static_cast<Time>(ms * static_cast<double>(TicksPerSecond()) / 1000.0); }

// What the sound probe printed, in order.
struct ProbeLine {
    std::string kind;  // ready, on, off, click, error
    Time time = 0;
};

// A parlowen-sound-probe process beside the benchmark, its lines read as they come.
class SoundProbe {
public:
    explicit SoundProbe(const std::wstring& arguments = L"")
        : output_(parlowen::win32::StoppablePipe::Direction::kFromChild),
          stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        const std::wstring exe = e2e::DriverFolder() + L"parlowen-sound-probe.exe.so";
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output_.childEnd();
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                              nullptr, &startup, &info))
            return;
        process_.reset(info.hProcess);
        ::CloseHandle(info.hThread);
        output_.CloseChildEnd();
        reader_ = std::thread([this] { ReadLines(); });
    }

    ~SoundProbe() {
        if (process_) ::TerminateProcess(process_.get(), 0);
        ::SetEvent(stop_.get());
        if (reader_.joinable()) reader_.join();
    }

    SoundProbe(const SoundProbe&) = delete;
    SoundProbe& operator=(const SoundProbe&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    bool Ended() const { return !process_ || ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }

    std::vector<ProbeLine> Lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }

    std::vector<Time> TimesOf(const std::string& kind) const {
        std::vector<Time> times;
        for (const ProbeLine& line : Lines())
            if (line.kind == kind) times.push_back(line.time);
        return times;
    }

private:
    void ReadLines() {
        std::string pending;
        char buffer[4096];
        while (const DWORD read = output_.Read(buffer, sizeof(buffer), stop_.get())) {
            pending.append(buffer, read);
            for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
                ProbeLine line;
                char kind[16] = "";
                if (std::sscanf(pending.substr(0, end).c_str(), "%15s %lld", kind, &line.time) < 1) continue;
                line.kind = kind;
                if (line.kind == "error") std::printf("sound probe: %s\n", pending.substr(0, end).c_str());
                std::lock_guard lock(mutex_);
                lines_.push_back(line);
            }
        }
    }

    parlowen::win32::StoppablePipe output_;
    UniqueKernelHandle stop_;
    UniqueKernelHandle process_;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::vector<ProbeLine> lines_;
};

// A quiet stretch on the sink: from its first silent sample to the first sample of the
// next sound, if one has come.
struct Quiet {
    Time start = 0;
    std::optional<Time> end;
    Time Length(Time now) const { return end.value_or(now) - start; }
};

std::vector<Quiet> QuietStretches(const std::vector<ProbeLine>& lines) {
    std::vector<Quiet> stretches;
    for (const ProbeLine& line : lines) {
        if (line.kind == "off") stretches.push_back({line.time, std::nullopt});
        if (line.kind == "on" && !stretches.empty() && !stretches.back().end) stretches.back().end = line.time;
    }
    return stretches;
}

// The first sound that starts at or after `from`.
std::optional<Time> SoundAfter(const SoundProbe& probe, Time from) {
    for (Time on : probe.TimesOf("on"))
        if (on >= from) return on;
    return std::nullopt;
}

// The first quiet stretch at least `minimum` long that has not ended by `from`.
std::optional<Quiet> QuietAfter(const SoundProbe& probe, Time from, Time minimum) {
    const Time now = Now();
    for (const Quiet& quiet : QuietStretches(probe.Lines()))
        if (quiet.end.value_or(now) > from && quiet.Length(now) >= minimum) return quiet;
    return std::nullopt;
}

std::optional<Time> WaitForSound(const SoundProbe& probe, Time from, DWORD timeoutMs = 15000) {
    std::optional<Time> on;
    WaitUntil([&] { return (on = SoundAfter(probe, from)).has_value(); }, timeoutMs);
    return on;
}

std::optional<Quiet> WaitForQuiet(const SoundProbe& probe, Time from, double minimumMs, DWORD timeoutMs = 40000) {
    std::optional<Quiet> quiet;
    WaitUntil([&] { return (quiet = QuietAfter(probe, from, Ticks(minimumMs))).has_value(); }, timeoutMs);
    return quiet;
}

std::optional<Time> FirstAfter(const std::vector<Time>& times, Time from) {
    for (Time t : times)
        if (t > from) return t;
    return std::nullopt;
}

// With goals for the median and the longest (the longest's goal is the median's when not given).
void Print(const char* what, std::vector<double> ms, double medianGoalMs = 0, double maxGoalMs = 0) {
    if (ms.empty()) {
        std::printf("  %-46s no figures\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-46s min %7.1f  median %7.1f  max %7.1f ms  (%zu runs)", what, ms.front(), ms[ms.size() / 2],
                ms.back(), ms.size());
    if (maxGoalMs <= 0) maxGoalMs = medianGoalMs;
    if (medianGoalMs > 0)
        std::printf("  goals: median <= %.0f ms %s, max <= %.0f ms %s", medianGoalMs,
                    ms[ms.size() / 2] <= medianGoalMs ? "met" : "missed", maxGoalMs,
                    ms.back() <= maxGoalMs ? "met" : "missed");
    std::printf("\n");
    std::fflush(stdout);
}

// About three seconds of Mandarin.
const wchar_t kShortText[] = L"好的，明天见。";
// About twenty seconds of syllables with voiced initials and no punctuation: past the
// pause after the name, eSpeak NG reads them with pauses of 45 ms at most, so that a
// run rarely finds the voice in a pause of its own when it is cut.
const wchar_t kOldText[] = L"妈妈骂马马儿慢慢埋怨妈妈妈妈买了两个芒果妈妈拿着芒果慢慢忙"
                           L"妈妈骂马马儿慢慢埋怨妈妈妈妈买了两个芒果妈妈拿着芒果慢慢忙";

// The program following a chat window of "moon" in this thread, with the probe hooked
// into its window to stamp its capture ticks and reads.
class Run {
public:
    Run(const SoundProbe& probe, HWND main, parlowen::demo::ChatWindow& chat)
        : probe_(probe), main_(main), chat_(chat), counting_(main) {}

    bool Counting() const { return counting_.counting(); }

    // Waits for the next read to be taken, then a random while (100 to 800 ms, well
    // clear of the next tick's read) and adds moon's message; the moment it is shown.
    Time Show(const wchar_t* text) {
        const Time before = Latest(e2e::ProbeTickTimes(main_).readsTaken);
        WaitUntil([&] { return Latest(e2e::ProbeTickTimes(main_).readsTaken) > before; }, 5000);
        Pump(std::uniform_int_distribution<DWORD>(100, 800)(random_));
        char time[16];
        ++sent_;
        std::snprintf(time, sizeof time, "11:%02d:%02d", sent_ / 60 % 60, sent_ % 60);
        chat_.AppendMessage("moon", WideToAnsi(text), time);
        return Now();
    }

    // Adds moon's message and waits until it has been heard; when it was shown.
    std::optional<Time> ShowAndHear(const wchar_t* text) {
        const Time shown = Show(text);
        if (!WaitForSound(probe_, shown)) return std::nullopt;
        return shown;
    }

    // When the first read after `shown` was taken: the one that found the message,
    // whether a capture tick started it or the reader saw the history change.
    std::optional<Time> ReadAfter(Time shown) const { return FirstAfter(e2e::ProbeTickTimes(main_).readsTaken, shown); }

    HWND main() const { return main_; }
    void Randomly(DWORD fromMs, DWORD toMs) { Pump(std::uniform_int_distribution<DWORD>(fromMs, toMs)(random_)); }

private:
    static Time Latest(const std::vector<Time>& times) { return times.empty() ? 0 : times.back(); }

    const SoundProbe& probe_;
    HWND main_;
    parlowen::demo::ChatWindow& chat_;
    e2e::CountingTicks counting_;
    std::mt19937 random_{20090101};
    int sent_ = 0;
};

// Clicks played by the probe against when the listener heard them.
void CheckClock(const SoundProbe& listener) {
    constexpr int kClicks = 10;
    SoundProbe clicker(L"click " + std::to_wstring(kClicks));
    WaitUntil([&] { return clicker.Ended(); }, 20000);
    Pump(300);
    std::vector<double> errors;
    for (Time click : clicker.TimesOf("click")) {
        const auto heard = SoundAfter(listener, click - Ticks(100));
        if (heard && *heard < click + Ticks(100)) errors.push_back(Ms(*heard - click));
    }
    std::printf("Clock check: clicks heard minus when the server said they play (%d clicks, %zu heard within 100 ms):\n",
                kClicks, errors.size());
    Print("alignment error", errors);
}

// The goals: the chat in front heard within 100 ms mostly and 200 ms at most, one behind
// within a second mostly.
void MeasureFirstSound(const SoundProbe& probe, Run& run, int messages, bool behind) {
    std::vector<double> shownToSound, shownToRead, readToSound;
    int unheard = 0;
    for (int i = 0; i < messages; ++i) {
        const auto shown = run.ShowAndHear(kShortText);
        if (!shown) {
            ++unheard;
            continue;
        }
        const Time sound = *SoundAfter(probe, *shown);
        WaitForQuiet(probe, sound, 800);
        shownToSound.push_back(Ms(sound - *shown));
        if (const auto read = run.ReadAfter(*shown); read && *read <= sound) {
            shownToRead.push_back(Ms(*read - *shown));
            readToSound.push_back(Ms(sound - *read));
        }
    }
    std::printf("A message of moon's while nothing is being read (%d messages, %d not heard):\n", messages, unheard);
    Print("shown in the chat -> first audible sample", shownToSound, behind ? 1000 : 100, behind ? 2000 : 200);
    Print("shown in the chat -> read taken", shownToRead);
    Print("read taken -> first audible sample", readToSound);
}

// Moves moon's volume slider (the friend's profile) as the user would, to 0 with Home
// and to 100 with End; the utterances asked for afterwards are spoken at that volume.
bool SetFriendVolume(HWND main, UINT key, const wchar_t* shown) {
    e2e::PressKey(e2e::OptionControl(main, parlowen::app::IdTVolume1), key);
    return WaitUntil([&] { return e2e::WindowText(e2e::OptionControl(main, parlowen::app::IdLVolume1)) == shown; },
                     5000);
}

void MeasureCut(const SoundProbe& probe, Run& run, int messages) {
    std::vector<double> readToSilent, shownToSilent;
    int uncertain = 0;
    for (int i = 0; i < messages; ++i) {
        if (!SetFriendVolume(run.main(), VK_END, L"100") || !run.ShowAndHear(kOldText)) continue;
        if (!SetFriendVolume(run.main(), VK_HOME, L"0")) continue;
        run.Randomly(1000, 2000);
        const Time shown = run.Show(kShortText);
        const auto silent = WaitForQuiet(probe, shown, 1000);
        // The probe library stamps reads only in a program of its own width; for the
        // other, the silence must come after the message was shown.
        const auto read = run.ReadAfter(shown);
        if (!silent) continue;
        if (silent->start < read.value_or(shown)) {
            ++uncertain;
            continue;
        }
        if (read) readToSilent.push_back(Ms(silent->start - *read));
        shownToSilent.push_back(Ms(silent->start - shown));
    }
    SetFriendVolume(run.main(), VK_END, L"100");
    std::printf("moon's next message (at volume 0) while the long one is read (%d messages, %d left out as "
                "uncertain):\n",
                messages, uncertain);
    Print("shown in the chat -> old one silent", shownToSilent);
    Print("read taken -> old one silent", readToSilent, 150);
}

void MeasureStopSpeaking(const SoundProbe& probe, Run& run, int times) {
    std::vector<double> toSilence;
    int uncertain = 0;
    for (int i = 0; i < times; ++i) {
        if (!run.ShowAndHear(kOldText)) continue;
        run.Randomly(1000, 2000);
        const Time posted = Now();
        ::PostMessageW(run.main(), WM_COMMAND, parlowen::app::IdStopSpeak1, 0);
        const auto quiet = WaitForQuiet(probe, posted, 1000, 15000);
        if (!quiet) continue;
        if (quiet->start < posted) {
            ++uncertain;
            continue;
        }
        toSilence.push_back(Ms(quiet->start - posted));
    }
    std::printf("停止朗读 while the long message is read (%d times, %d left out as uncertain):\n", times, uncertain);
    Print("menu command posted -> silence", toSilence, 150);
}

}  // namespace

int wmain() {
    SoundProbe listener;
    if (!listener.Started()) {
        std::printf("parlowen-sound-probe.exe.so is not beside the benchmark\n");
        return 1;
    }
    if (!WaitUntil([&] { return !listener.TimesOf("ready").empty() || listener.Ended(); }, 15000) ||
        listener.Ended()) {
        std::printf("the sound probe cannot record the null sink (is the private audio server running?)\n");
        return 1;
    }
    CheckClock(listener);

    e2e::RemoveSettings();
    // PARLOWEN_BENCH_PROGRAM names another build of the program (the 32-bit one) by its
    // Windows path; else the one beside the benchmark.
    e2e::Program program;
    wchar_t other[MAX_PATH] = L"";
    if (::GetEnvironmentVariableW(L"PARLOWEN_BENCH_PROGRAM", other, MAX_PATH) > 0)
        program.StartExecutable(other);
    else
        program.Start();
    HWND main = program.MainWindowAfterStartUp();
    if (!main) {
        std::printf("the program did not start\n");
        return 1;
    }
    const bool group = ::GetEnvironmentVariableW(L"PARLOWEN_BENCH_GROUP", nullptr, 0) > 0;
    std::printf("The chat window: %s\n", group ? "a group, moon one of its members" : "one to one with moon");
    parlowen::demo::ChatWindow chat(std::wstring_view(group ? L"技术交流群" : L"与 moon 交谈中"));
    const Time greeted = Now();
    chat.SetHistory(WideToAnsi(L"moon 10:00:00\r\n你好"));
    chat.BringToFront();
    if (!WaitForSound(listener, greeted) || !WaitForQuiet(listener, greeted, 800)) {
        std::printf("the program read nothing aloud\n");
        return 1;
    }
    const bool behind = ::GetEnvironmentVariableW(L"PARLOWEN_BENCH_BEHIND", nullptr, 0) > 0;
    std::optional<parlowen::demo::ChatWindow> front;
    if (behind) {
        std::printf("Measured behind another chat window in front\n");
        front.emplace(std::wstring_view(L"与 sun 交谈中"));
        const Time frontGreeted = Now();
        front->SetHistory(WideToAnsi(L"sun 10:00:00\r\n在吗"));
        front->BringToFront();
        if (!WaitForSound(listener, frontGreeted) || !WaitForQuiet(listener, frontGreeted, 800)) {
            std::printf("the program read nothing aloud in the chat in front\n");
            return 1;
        }
    }
    Run run(listener, main, chat);
    if (!run.Counting()) {
        std::printf("cannot hook the probe library into the program\n");
        return 1;
    }
    MeasureFirstSound(listener, run, 40, behind);
    if (behind) return program.Close(), 0;
    if (!group) MeasureCut(listener, run, 10);
    MeasureStopSpeaking(listener, run, 10);
    program.Close();
    return 0;
}
