#include "capture/chat_windows_win32.h"

#include "win32/text_win32.h"

#include <algorithm>
#include <optional>
#include <string>

namespace parlowen::capture {
namespace {

constexpr int kTitleBufferSize = 255;
constexpr std::size_t kMinimumReadBytes = 16 << 10;

// Returns false when the window did not answer in time (or is gone). SMTO_BLOCK keeps
// our own window procedure from being re-entered while the tick waits.
bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                     DWORD_PTR& result) {
    return ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                 ChatWindowsWin32::kRequestTimeoutMs, &result) != 0;
}

// The number of characters in a rich edit control, a line break counting as one: where
// its last line starts plus that line's length. These requests carry no pointer, so
// they cross processes unchanged. Empty when the control does not answer.
std::optional<std::size_t> CharacterCount(HWND control) {
    DWORD_PTR lines = 0, lastLineStart = 0, lastLineLength = 0;
    if (!SendWithTimeout(control, EM_GETLINECOUNT, 0, 0, lines) ||
        !SendWithTimeout(control, EM_LINEINDEX, lines > 0 ? lines - 1 : 0, 0, lastLineStart) ||
        !SendWithTimeout(control, EM_LINELENGTH, lastLineStart, 0, lastLineLength)) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(lastLineStart + lastLineLength);
}

std::string ReadControlText(HWND control) {
    // How long the text is cannot simply be asked. WM_GETTEXT with no buffer answers 0;
    // under Wine, once the text of an ANSI rich edit in another process holds a
    // double-byte character, WM_GETTEXTLENGTH answers 0 and a WM_GETTEXT whose buffer is
    // too small answers 0 instead of filling it. So the buffer is sized from both the
    // length and the character count (each character, a double-byte one or a line break
    // given as CR LF, takes at most two bytes), the count WM_GETTEXT returns is trusted,
    // and a read that fills the buffer, or comes back empty from a control that is not,
    // is repeated with a buffer twice as large.
    DWORD_PTR hinted = 0;
    if (!SendWithTimeout(control, WM_GETTEXTLENGTH, 0, 0, hinted)) return {};
    const std::optional<std::size_t> characters = CharacterCount(control);
    if (!characters) return {};

    // Room beyond the expected size, so that a text of exactly that size does not look
    // like a full buffer.
    std::size_t capacity =
        std::max({static_cast<std::size_t>(hinted), 2 * *characters, kMinimumReadBytes}) + 2;
    std::string text;
    while (capacity <= ChatWindowsWin32::kMaxHistoryBytes) {
        text.assign(capacity + 1, '\0');  // and the closing NUL
        DWORD_PTR copied = 0;
        if (!SendWithTimeout(control, WM_GETTEXT, text.size(),
                             reinterpret_cast<LPARAM>(text.data()), copied)) {
            return {};
        }
        // A control may stop a byte short of a full buffer rather than split a
        // double-byte character or a CR LF, so that counts as full as well.
        const bool full = copied + 1 >= capacity;
        const bool refused = copied == 0 && *characters > 0;
        if (!full && !refused) {
            text.resize(static_cast<std::size_t>(copied));
            return text;
        }
        capacity *= 2;
    }
    return {};
}

}  // namespace

std::string ChatWindowsWin32::ForegroundTitle() {
    HWND foreground = ::GetForegroundWindow();
    if (foreground == nullptr) return {};
    char title[kTitleBufferSize] = {};
    ::GetWindowTextA(foreground, title, kTitleBufferSize);
    return title;
}

std::u16string ChatWindowsWin32::AnsiToUnicode(std::string_view text) {
    const std::wstring wide = win32::AnsiToWide(text);  // wchar_t is UTF-16 on Windows
    return std::u16string(wide.begin(), wide.end());
}

std::string ChatWindowsWin32::ReadHistory(std::string_view title) {
    const std::string exactTitle(title);
    HWND chatWindow = ::FindWindowA(nullptr, exactTitle.c_str());
    if (chatWindow == nullptr) return {};
    HWND history = ::FindWindowExA(chatWindow, nullptr, "RichEdit20A", nullptr);
    if (history == nullptr) return {};
    return ReadControlText(history);
}

}  // namespace parlowen::capture
