// The end-to-end driver: runs every registered case against the real program and
// prints one closing line "N passed, N failed, N skipped", after a repeat of every failure
// (and of every first-run failure of a case that passed when run again) and of every case
// or part skipped with its reason, so that the end of a long log still tells what broke and
// what did not run. Usage: parlowen_e2e <screenshot folder> [case or Prefix*...]
// With PARLOWEN_E2E_SHARD=K/N it runs only every Nth of the chosen cases, from the Kth on,
// so that the suite can be run as N shorter runs, each in a fresh prefix.
#include "e2e.h"
#include "program_win32.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <stdexcept>
#include <utility>

namespace e2e {
namespace {

int g_failures = 0;
const char* g_currentCase = "";
std::vector<std::string> g_failureLines;
std::vector<std::string> g_contexts;
std::wstring g_screenshotFolder = L".";
std::vector<std::string> g_skipLines;

// Thrown by Skip, caught where the case was started.
struct Skipped {
    std::string why;
};

}  // namespace

std::vector<Case>& Registry() {
    static std::vector<Case> cases;
    return cases;
}

const std::wstring& ScreenshotFolder() { return g_screenshotFolder; }

void Fail(const char* file, int line, const std::string& what) {
    ++g_failures;
    const char* base = file;
    for (const char* p = file; *p; ++p)
        if (*p == '/' || *p == '\\') base = p + 1;
    std::string context;
    for (const std::string& c : g_contexts) context += "[" + c + "] ";
    std::printf("    %s:%d: %s%s\n", base, line, context.c_str(), what.c_str());
    g_failureLines.push_back(std::string(g_currentCase) + ": " + base + ":" + std::to_string(line) + ": " + context + what);
    std::fflush(stdout);
}

void Skip(const std::string& why) { throw Skipped{why}; }

void SkipPart(const std::string& part, const std::string& why) {
    std::printf("    skipped %s: %s\n", part.c_str(), why.c_str());
    g_skipLines.push_back(std::string(g_currentCase) + ": " + part + ": " + why);
}

Context::Context(std::string what) { g_contexts.push_back(std::move(what)); }
Context::~Context() { g_contexts.pop_back(); }

void SaveScreenshot(HWND window, const std::wstring& name) {
    RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (window) ::GetWindowRect(window, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::SelectObject(memory, old);

    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + imageSize;
    const std::wstring path = g_screenshotFolder + L"\\" + name + L".bmp";
    HANDLE out = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
        DWORD written;
        ::WriteFile(out, &file, sizeof(file), &written, nullptr);
        ::WriteFile(out, &info.bmiHeader, sizeof(info.bmiHeader), &written, nullptr);
        ::WriteFile(out, bits, imageSize, &written, nullptr);
        ::CloseHandle(out);
    }
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace e2e

namespace {

// A case named on the command line, by its name or by the start of it and "*".
bool Selects(const std::string& pattern, const std::string& name) {
    if (!pattern.empty() && pattern.back() == '*') return name.starts_with(pattern.substr(0, pattern.size() - 1));
    return pattern == name;
}

// The shard PARLOWEN_E2E_SHARD names as "K/N" (K counted from 1): {K - 1, N}; {0, 1}, the
// whole suite, when it is not set. A malformed value throws: a shard that ran nothing
// must not pass.
std::pair<int, int> Shard() {
    wchar_t value[32] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"PARLOWEN_E2E_SHARD", value, 32);
    if (length == 0) return {0, 1};
    int k = 0;
    int n = 0;
    wchar_t rest = 0;
    if (length >= 32 || std::swscanf(value, L"%d/%d%lc", &k, &n, &rest) != 2 || n < 1 || k < 1 || k > n)
        throw std::invalid_argument("PARLOWEN_E2E_SHARD is not K/N with 1 <= K <= N: " + e2e::Utf8(value));
    return {k - 1, n};
}

enum class Outcome { Passed, Failed, Skipped };

// One run of a case.
Outcome RunCase(const e2e::Case& c) {
    std::printf("[ RUN  ] %s\n", c.name);
    std::fflush(stdout);
    const int failuresBefore = e2e::g_failures;
    e2e::g_currentCase = c.name;
    // Every case starts as on a machine where the program has never run: no settings, and
    // not set to start with Windows, whichever case ran before it. A step of a script
    // goes on from the step before it, which may have set the program to start.
    e2e::RemoveSettings();
    if (!c.step) ::DeleteFileW(e2e::StartupShortcutPath().c_str());
    try {
        c.body();
    } catch (const e2e::Skipped& skipped) {
        if (e2e::g_failures == failuresBefore) {
            e2e::g_skipLines.push_back(std::string(c.name) + ": " + skipped.why);
            return Outcome::Skipped;
        }
    } catch (const std::exception& e) {
        e2e::Fail("driver", 0, std::string("exception: ") + e.what());
    }
    return e2e::g_failures == failuresBefore ? Outcome::Passed : Outcome::Failed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Wine's console turns "\n" into "\r\n" in text mode.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc > 1) e2e::g_screenshotFolder = argv[1];

    const bool windows5Prefix = ::GetEnvironmentVariableW(L"PARLOWEN_WINE_VERSION", nullptr, 0) > 0;
    int passed = 0;
    int failed = 0;
    int flaky = 0;
    int skipped = 0;
    std::vector<std::string> flakyLines;
    std::pair<int, int> shardOfShards;
    try {
        shardOfShards = Shard();
    } catch (const std::exception& e) {
        std::printf("%s\n", e.what());
        return 1;
    }
    const auto [shard, shards] = shardOfShards;
    int chosen = 0;
    std::stable_partition(e2e::Registry().begin(), e2e::Registry().end(), [](const e2e::Case& c) { return !c.last; });
    for (const e2e::Case& c : e2e::Registry()) {
        if (c.windows5 != windows5Prefix) continue;
        bool selected = argc <= 2 && !c.step;
        for (int i = 2; i < argc; ++i)
            selected = selected || (c.step ? e2e::Utf8(argv[i]) == c.name : Selects(e2e::Utf8(argv[i]), c.name));
        if (!selected || chosen++ % shards != shard) continue;

        const std::size_t linesBefore = e2e::g_failureLines.size();
        const std::size_t skipsBefore = e2e::g_skipLines.size();
        const auto started = std::chrono::steady_clock::now();
        Outcome outcome = RunCase(c);
        if (outcome == Outcome::Failed) {
            // A failed case runs once more. A pass then counts, but the case is reported as
            // flaky, with what failed the first time, so that its cause is looked for; a
            // second failure fails the case.
            std::printf("[ RETRY ] %s\n", c.name);
            e2e::g_skipLines.resize(skipsBefore);
            outcome = RunCase(c);
            if (outcome != Outcome::Failed) {
                ++flaky;
                const auto firstRun = e2e::g_failureLines.begin() + static_cast<std::ptrdiff_t>(linesBefore);
                flakyLines.insert(flakyLines.end(), firstRun, e2e::g_failureLines.end());
                e2e::g_failureLines.erase(firstRun, e2e::g_failureLines.end());
            }
        }
        // A part left out of a case that ran counts as skipped too.
        if (outcome == Outcome::Passed) skipped += static_cast<int>(e2e::g_skipLines.size() - skipsBefore);
        (outcome == Outcome::Passed ? passed : outcome == Outcome::Failed ? failed : skipped)++;
        // The time a case took, retry included, shows which ones make the suite long.
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        const char* const mark = outcome == Outcome::Passed ? " OK " : outcome == Outcome::Failed ? "FAIL" : "SKIP";
        std::printf("[ %s ] %s (%.1f s)\n", mark, c.name, took.count());
        std::fflush(stdout);
    }
    for (const std::string& line : flakyLines) std::printf("[ FLAKY ] %s\n", line.c_str());
    for (const std::string& line : e2e::g_skipLines) std::printf("[ SKIP ] %s\n", line.c_str());
    for (const std::string& line : e2e::g_failureLines) std::printf("[ FAIL ] %s\n", line.c_str());
    std::printf("%d flaky\n", flaky);
    std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
    return failed == 0 ? 0 : 1;
}
