// A small test framework for the end-to-end driver: named cases, checks that record
// failures and go on, and a closing line "N passed, N failed".
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

struct Case {
    const char* name;
    std::function<void()> body;
    bool last = false;  // changes the environment for good: runs after every other case
    // Runs only in a prefix that reports Windows 5.x (PARLOWEN_WINE_VERSION set), where
    // the other cases do not run.
    bool windows5 = false;
    // One step of a script that runs the driver in several prefixes in turn: runs only
    // when named in full on the command line.
    bool step = false;
};

std::vector<Case>& Registry();

struct Registrar {
    Registrar(const char* name, std::function<void()> body, bool last = false, bool windows5 = false,
              bool step = false) {
        Registry().push_back({name, std::move(body), last, windows5, step});
    }
};

// Records a failed check of the running case, with where it was made.
void Fail(const char* file, int line, const std::string& what);
// Ends the running case as skipped, `why` told on a line of its own: what it needs
// cannot run on this machine.
[[noreturn]] void Skip(const std::string& why);
// Leaves `part` of the running case out, told and counted as skipped; the rest runs.
void SkipPart(const std::string& part, const std::string& why);
// Why Wine's 32-bit side cannot run on this machine (the test scripts tell it through
// PARLOWEN_WINE32 and PARLOWEN_WINE32_WHY); empty when it can.
std::string Wine32Missing();
// While it lives, every failure recorded names `what` too: the round of a loop a case is in.
class Context {
public:
    explicit Context(std::string what);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
};
std::string Utf8(const std::wstring& text);
std::string Describe(const std::wstring& text);
std::string Describe(const std::string& text);
std::string Describe(long long value);
inline std::string Describe(int value) { return Describe(static_cast<long long>(value)); }
inline std::string Describe(unsigned value) { return Describe(static_cast<long long>(value)); }
inline std::string Describe(long value) { return Describe(static_cast<long long>(value)); }
inline std::string Describe(unsigned long value) { return Describe(static_cast<long long>(value)); }
inline std::string Describe(unsigned long long value) { return Describe(static_cast<long long>(value)); }
inline std::string Describe(bool value) { return value ? "true" : "false"; }
inline std::string Describe(const wchar_t* text) { return Describe(std::wstring(text)); }
inline std::string Describe(const char* text) { return Describe(std::string(text)); }

// Where screenshots go (a folder given on the command line).
const std::wstring& ScreenshotFolder();
// Saves the screen area of `window` (the whole screen for nullptr) as a BMP file.
void SaveScreenshot(HWND window, const std::wstring& name);

// Pumps this thread's messages for `ms` milliseconds.
// Prints a figure a case measured, on a line of its own under the case.
void PrintFigure(const char* what, double value, const char* unit);

void Pump(DWORD ms);
// Pumps messages until `condition` holds or `timeoutMs` passes; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

}  // namespace e2e

#define E2E_CONCAT_INNER(a, b) a##b
#define E2E_CONCAT(a, b) E2E_CONCAT_INNER(a, b)
#define E2E_TEST_REGISTERED(name, last, windows5, step)                             \
    static void E2E_CONCAT(e2e_case_, name)();                                      \
    static const ::e2e::Registrar E2E_CONCAT(e2e_registrar_, name)(#name,           \
                                                                  &E2E_CONCAT(e2e_case_, name), last, windows5, step); \
    static void E2E_CONCAT(e2e_case_, name)()

#define E2E_TEST(name) E2E_TEST_REGISTERED(name, false, false, false)
// A case that leaves the environment changed for the rest of the run.
#define E2E_TEST_LAST(name) E2E_TEST_REGISTERED(name, true, false, false)
// A case for the Windows 2000 / XP / Server 2003 generation.
#define E2E_TEST_ON_WINDOWS_5(name) E2E_TEST_REGISTERED(name, false, true, false)
// A step of a script that drives several prefixes (see Case::step).
#define E2E_STEP(name) E2E_TEST_REGISTERED(name, false, false, true)

#define CHECK(condition)                                                          \
    do {                                                                          \
        if (!(condition)) ::e2e::Fail(__FILE__, __LINE__, "CHECK(" #condition ")"); \
    } while (0)

#define CHECK_EQ(actual, expected)                                                         \
    do {                                                                                   \
        const auto& e2e_actual = (actual);                                                 \
        const auto& e2e_expected = (expected);                                             \
        if (!(e2e_actual == e2e_expected))                                                 \
            ::e2e::Fail(__FILE__, __LINE__,                                                \
                        std::string(#actual " == " #expected ": got ") +                   \
                            ::e2e::Describe(e2e_actual) + ", want " +                      \
                            ::e2e::Describe(e2e_expected));                                \
    } while (0)

// Ends the running case at once (a precondition for the rest of it failed).
#define REQUIRE(condition)                                                          \
    do {                                                                            \
        if (!(condition)) {                                                         \
            ::e2e::Fail(__FILE__, __LINE__, "REQUIRE(" #condition ")");             \
            return;                                                                 \
        }                                                                           \
    } while (0)
