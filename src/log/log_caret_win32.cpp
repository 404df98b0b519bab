#include "log/log_caret_win32.h"

#include <richedit.h>

#include <utility>

namespace parlowen::log {
namespace {

bool UserCanSeeCaret(HWND pane) {
    return ::GetFocus() == pane && ::GetForegroundWindow() == ::GetAncestor(pane, GA_ROOT);
}

}  // namespace

void SetCaret(HWND pane, long position) {
    CHARRANGE range{position, position};
    ::SendMessageA(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void LogCaret::Place(HWND pane, long position) {
    position_ = position;
    Show(pane);
}

void LogCaret::Show(HWND pane) {
    if (position_ && UserCanSeeCaret(pane)) SetCaret(pane, *std::exchange(position_, std::nullopt));
}

}  // namespace parlowen::log
