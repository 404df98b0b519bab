// TFmain: the main window. It owns the notebook with the log pane and the options page,
// the menus, the tray icon, the voice objects and the timers for the whole run, and turns
// window messages into calls of the subsystems' logic.
#pragma once

#include "win32/handles_win32.h"
#include "win32/window_procedure_win32.h"
#include "app/options_page_win32.h"
#include "app/settings/settings.h"
#include "app/tray_icon_win32.h"
#include "capture/capture_tick.h"
#include "capture/chat_tracking.h"
#include "capture/chat_windows_win32.h"
#include "capture/history_reader_win32.h"
#include "log/message_log.h"
#include "speech/speech_engines_win32.h"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace parlowen::app {

inline constexpr wchar_t kMainWindowClass[] = L"TFmain";
inline constexpr wchar_t kMainWindowCaption[] = L"Parlowen2009";
inline constexpr wchar_t kTabSheetClass[] = L"TTabSheet";
inline constexpr int kClientWidth = 305, kClientHeight = 522;

// The capture tick hands each message to the window: it reads the reading options
// from the controls, speaks through the profiles and writes the log.
class TFmain : private capture::CaptureOutput {
public:
    explicit TFmain(HINSTANCE instance);
    TFmain(const TFmain&) = delete;
    TFmain& operator=(const TFmain&) = delete;
    ~TFmain() override;

    // Creates the window (FormCreate runs inside) and shows it as FormCreate left it.
    void Create();
    // Starts the two one-second ticks; called right before the message loop runs.
    void StartTimers();
    // Destroys the window; FormDestroy runs inside.
    void Destroy();

    HWND hwnd() const noexcept { return hwnd_; }

private:
    static void RegisterWindowClasses(HINSTANCE instance);
    friend LRESULT CALLBACK win32::ObjectWindowProc<TFmain>(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND hwnd) noexcept { hwnd_ = hwnd; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The standard error report for whatever escaped a handler.
    void OnEscapedException() noexcept;

    // Building the window (main_window_layout_win32.cpp).
    void CreateControls();
    void CreateNotebook();
    void CreateLogPage(HWND page);
    void CreateStatusBar();
    void ShowPage(int index);

    // Start-up and shut-down.
    void OnCreate();
    void FormCreate();
    void FormDestroy();

    // Handlers.
    void OnCommand(unsigned id, unsigned notification);
    void OnNotify(const NMHDR& header);
    void OnTrayMessage(LPARAM mouseMessage);
    void Timer2Timer();
    void OnHistoryRead();
    void Timer3Timer();

    // Window commands (window_commands_win32.cpp).
    void HideToTray();
    void RestoreMainWindow();
    void RestoreMainWindowWithPage(int page);
    void ExitProgram();
    void Help1Click();
    void About1Click();

    // Log commands (log_commands_win32.cpp).
    void NOpenMessageClick();
    void NClearMessageClick();
    void NSaveMessageClick();
    void NShowTime1Click();
    void ExportMessageToWav1Click();

    // Start with Windows (start_with_windows_win32.cpp).
    void NOpenOnStartupClick(bool inTrayMenu);
    void ShowStartupShortcutMarks();
    void SetStartupMarks(bool checked);

    // Settings.
    void LoadReadingOptions(const capture::ReadingOptions& reading);
    void SaveSettings();

    // What the capture tick hands a message to.
    capture::ReadingOptions Options() override;
    void SpeakMine(std::string_view text) noexcept override;
    void SpeakFriend(std::string_view text) noexcept override;
    void AppendLogEntry(std::string_view header, std::string_view body, log::Colour colour) override;

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    int initialShowCommand_ = SW_SHOWNORMAL;
    bool settingsLoaded_ = false;
    UINT taskbarCreatedMessage_ = 0;

    win32::UniqueFont formFont_;
    win32::UniqueFont logFont_;
    win32::UniqueIcon icon_;
    win32::UniqueIcon smallIcon_;
    win32::UniqueMenu trayMenu_;  // the menu bar belongs to the window and dies with it
    std::unique_ptr<TrayIcon> trayIcon1_;

    HWND pageControl1_ = nullptr;
    HWND tabSheets_[2] = {nullptr, nullptr};
    HWND richEdit1_ = nullptr;
    HWND statusBar1_ = nullptr;
    // The log's plain-text mode: set by each save from the file's extension, followed by opening.
    bool plainTextMode_ = false;

    // What the user has set, and the voice profiles that speak with it through mine and
    // the friend's voice objects, on the speech engine chosen when the window object is
    // made. The options page shows and edits them.
    settings::Settings settings_;
    speech::SpeechEngines speech_;
    speech::VoiceProfiles profiles_;
    std::unique_ptr<OptionsPage> optionsPage_;

    // The messenger's chat windows, the one followed, and the last message handled.
    capture::ChatWindowsWin32 chatWindows_;
    capture::ChatTracking tracking_;
    std::unique_ptr<capture::HistoryReaderWin32> historyReader_;
    capture::CaptureTick captureTick_;
};

}  // namespace parlowen::app
