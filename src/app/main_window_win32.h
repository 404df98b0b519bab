// TFmain: the main window. It owns the notebook and its three pages, the menus, the tray icon, the voice
// objects and the timers for the whole run, and turns window messages into calls of the subsystems' logic.
#pragma once

#include "win32/handles_win32.h"
#include "win32/window_procedure_win32.h"
#include "app/global_hotkeys_win32.h"
#include "app/keyboard_navigation_win32.h"
#include "app/message_output_win32.h"
#include "app/replacements_win32.h"
#include "app/settings/settings.h"
#include "app/tray_icon_win32.h"
#include "capture/chat_capture_win32.h"
#include "speech/speech_engines_win32.h"

#include <windows.h>

#include <memory>
#include <optional>

namespace parlowen::app {

class OptionsPage; class PeoplePage; class ChatsPage;  // the pages

class TFmain {
public:
    TFmain();
    TFmain(const TFmain&) = delete;
    TFmain& operator=(const TFmain&) = delete;
    ~TFmain();

    // Creates the window of the program `instance` (FormCreate runs inside) and shows it
    // as FormCreate left it; Destroy destroys it (FormDestroy runs inside).
    void Create(HINSTANCE instance);
    void Destroy();
    // Starts the two one-second ticks; called right before the message loop runs.
    void StartTimers();

    HWND hwnd() const noexcept { return hwnd_; }
    // The message loop hands each message here first: whether the window's keys took it.
    bool TranslateKeys(const MSG& message) { return keyboard_ && keyboard_->Translate(message); }

private:
    friend LRESULT CALLBACK win32::ObjectWindowProc<TFmain>(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND hwnd) noexcept { hwnd_ = hwnd; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnEscapedException() noexcept;  // the standard error report for what escaped a handler

    // Building the window (main_window_layout_win32.cpp).
    void CreateControls();
    void ShowPage(int index);

    // Start-up and shut-down, and the settings they load and save.
    void OnCreate();
    void FormCreate();
    void FormDestroy();
    void LoadReadingOptions(const capture::ReadingOptions& reading);
    void SaveSettings();

    // Handlers.
    void OnCommand(unsigned id, unsigned notification);
    void OnTrayMessage(LPARAM mouseMessage);
    void Timer2Timer();
    void OnHistoryRead();
    void Timer3Timer();
    void ReloadReplacements();

    // Window commands (window_commands_win32.cpp, start_with_windows_win32.cpp).
    void HideToTray();
    void PauseReading(bool paused);
    void RestoreMainWindow(std::optional<int> page = std::nullopt);
    void NOpenOnStartupClick(bool inTrayMenu);
    void ShowStartupShortcutMarks();

    // Log commands (log_commands_win32.cpp).
    void NOpenMessageClick();
    void NClearMessageClick();
    void ReplaceLogControl(win32::UniqueWindow fresh);  // every holder of the log reads richEdit1_
    void NSaveMessageClick();
    void NShowTime1Click();
    void ExportMessageToWav1Click();

    HWND hwnd_ = nullptr;
    int initialShowCommand_ = SW_SHOWNORMAL;
    bool settingsLoaded_ = false;
    win32::UniqueFont formFont_, logFont_;
    win32::UniqueIcon icon_, smallIcon_, pausedIcon_;
    win32::UniqueMenu trayMenu_;  // the menu bar belongs to the window and dies with it
    std::unique_ptr<TrayIcon> trayIcon1_;
    HWND pageControl1_ = nullptr, richEdit1_ = nullptr;
    log::LogCaret logCaret_;  // where the log's caret goes once the user can see it
    HWND tabSheets_[4] = {};  // "消息", "选项", "群聊与朗读", "聊天窗口"
    std::optional<KeyboardNavigation> keyboard_;
    bool plainTextMode_ = false;  // the log's plain-text mode: set by each save by the file's extension

    // What the user has set, the voice profiles that speak with it, and the pages that show and edit it.
    settings::Settings settings_;
    speech::SpeechEngines speech_;
    speech::VoiceProfiles profiles_;
    ReplacementsWin32 replacements_;
    GlobalHotkeys hotkeys_{hwnd_};
    std::unique_ptr<OptionsPage> optionsPage_;
    std::unique_ptr<PeoplePage> peoplePage_;
    std::unique_ptr<ChatsPage> chatsPage_;
    MessageOutputWin32 messageOutput_;  // where the capture hands each new message
    capture::ChatCaptureWin32 capture_;
    PeopleWin32 people_{capture_.tick()};
};

}  // namespace parlowen::app
