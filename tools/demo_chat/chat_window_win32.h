// A stand-in for a messenger's chat window: a top-level window whose first child is a
// "RichEdit20A" history control holding a transcript in the messenger's layout, a
// header line "nickname hh:mm:ss" and then the message's lines, CR LF between lines.
// The demo chat tool shows one; the end-to-end tests play the messenger with them.
#pragma once

#include "win32/window_procedure_win32.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace parlowen::demo {

class ChatWindow {
public:
    // Creates and shows the window on the calling thread, which then has to pump its
    // messages for the history to be read. The title is ANSI bytes or wide text.
    explicit ChatWindow(std::string_view ansiTitle);
    // With `Opening::Hidden` the window is made but not shown, until ShowBehind.
    enum class Opening { Shown, Hidden };
    explicit ChatWindow(std::wstring_view title, Opening opening = Opening::Shown);
    ChatWindow(const ChatWindow&) = delete;
    ChatWindow& operator=(const ChatWindow&) = delete;
    // Destroys the window; only the thread that created it can.
    ~ChatWindow();

    // Appends a message from `nickname` with the lines of `text` (both ANSI bytes),
    // stamped with `time` ("hh:mm:ss") or with the current time.
    void AppendMessage(std::string_view nickname, std::string_view text, std::string_view time);
    void AppendMessage(std::string_view nickname, std::string_view text);
    // Replaces the whole transcript.
    void SetHistory(std::string_view text);
    std::string History() const;
    void BringToFront();
    // Shows the window without taking the foreground, as a messenger opens a chat for a
    // message behind the user's work.
    void ShowBehind();

    HWND hwnd() const noexcept { return window_; }
    HWND history() const noexcept { return history_; }

    // Leaves a band of this height below the history for the caller's own controls,
    // which it lays out in onResize (given the client width and height).
    void ReserveBottomBand(int height);
    std::function<void(int width, int height)> onResize;
    // Called with the id of a child control that sent WM_COMMAND.
    std::function<void(int id)> onCommand;
    // Called when the user closes the window, before it is destroyed.
    std::function<void()> onClose;
    // Called with the id of a timer set on the window (SetTimer) when it fires.
    std::function<void(UINT_PTR id)> onTimer;

private:
    static void RegisterWindowClass();
    void CreateHistory();
    friend LRESULT CALLBACK win32::ObjectWindowProc<ChatWindow>(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND hwnd) noexcept { window_ = hwnd; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnEscapedException() noexcept {}  // a demo's failed click is not worth ending it over
    void Layout();
    void InsertAtEnd(std::string_view text);

    HWND window_ = nullptr;
    HWND history_ = nullptr;
    int bottomBand_ = 0;
};

// The local time now as "hh:mm:ss".
std::string CurrentTimeText();

}  // namespace parlowen::demo
