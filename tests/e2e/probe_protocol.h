// How the driver and the probe library it hooks into the program talk: a registered
// message whose wParam names what to read, answered in a temporary file of UTF-16 lines.
#pragma once

#include <windows.h>

#include <string>

namespace e2e::probe {

inline constexpr wchar_t kMessageName[] = L"ParlowenE2EProbe";
inline constexpr char kHookProcedureAnsi[] = "ProbeCallWndProc";
// Counts, while hooked, what the program's window takes off its queue: the capture
// reads done, and the ticks of the capture and tracking timers.
inline constexpr char kTicksHookProcedureAnsi[] = "ProbeGetMessage";
inline constexpr UINT kHistoryReadMessage = WM_APP + 2;
inline constexpr UINT_PTR kCaptureTimer = 2, kTrackingTimer = 3;

enum Request : WPARAM {
    kMenuBar = 0,    // the window's menu bar
    kOpenPopup = 1,  // the pop-up menu open on screen
    kLog = 2,        // the log pane's selection and coloured runs
    kResources = 3,  // the program's private bytes, handles, GDI and USER objects
    kTicks = 4,      // "<reads taken> <capture ticks> <tracking ticks>" while counted
    // While counted, the performance-counter times of the latest capture ticks and reads
    // taken, oldest first: lines "tick <time>" and "read <time>".
    kTickTimes = 5,
    kFocusLog = 6,  // gives the log pane the keyboard focus, as a click in it would
};

inline std::wstring AnswerPath() {
    wchar_t folder[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"parlowen-e2e-probe.txt";
}

}  // namespace e2e::probe
