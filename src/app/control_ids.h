// The main window's class and caption, and the identifiers of its controls, menu items, timers and tray icon.
#pragma once

#include <windows.h>

namespace parlowen::app {

inline constexpr wchar_t kMainWindowClass[] = L"TFmain";
inline constexpr wchar_t kMainWindowCaption[] = L"Parlowen2009";

enum ControlId : unsigned {
    IdPageControl1 = 100,
    IdTabSheet1,
    IdTabSheet2,
    IdRichEdit1,
    IdPanel1,
    IdStatusBar1,
    IdTabSheet3 = 110,
    IdLabelPages,  // labels that are never shown: they name the page tabs and the log for screen readers
    IdLabelLog,
    IdTabSheet4,

    IdGroupBox3 = 200,
    IdCBMe,
    IdCBFriend,
    IdCBmyname,
    IdCBFriendsname,

    // The two voice groups: the friend's twin of each mine control is the mine id + 20.
    IdGroupBox1 = 300,
    IdCBVoice,
    IdTRate,
    IdTVolume,
    IdLRate,
    IdLVolume,
    IdBtnDefault1,
    IdLabelEngine,
    IdLabelRate,
    IdLabelVolume,
    IdGroupBox2 = IdGroupBox1 + 20,
    IdCBVoice1,
    IdTRate1,
    IdTVolume1,
    IdLRate1,
    IdLVolume1,
    IdBtnDefault2,
    IdLabelEngine1,
    IdLabelRate1,
    IdLabelVolume1,

    // The page "群聊与朗读".
    IdLabelNicknames = 400,
    IdNicknames,
    IdApplyNicknames,
    IdLabelMembers,
    IdMemberList,
    IdLabelMemberVoice,
    IdMemberVoice,
    IdMemberMute,
    IdGroupSpeaking = 420,
    IdSpeakLinks,
    IdSpeakSymbols,
    IdSpeakRepeats,
    IdLabelLongest,
    IdLongestMessage,
    IdLabelLongestUnit,
    IdQueueMessages,
    IdGroupHotkeys = 440,
    IdStopHotkeyOn,
    IdStopHotkey,
    IdPauseHotkeyOn,
    IdPauseHotkey,
    IdLabelStopHotkey,
    IdLabelPauseHotkey,
    IdSayPause,
    IdLabelReplacements = 460,
    IdReplacements,
    IdApplyReplacements,
    // The page "聊天窗口".
    IdEveryChat = 480,
    IdLabelChats,
    IdChatList,
    IdLabelChatMode,
    IdChatMode,
};

enum MenuId : unsigned {
    // Main menu "主菜单" and "帮助".
    IdNOpenMessage = 1000,
    IdNClearMessage,
    IdNSaveMessage,
    IdExportMessageToWav1,
    IdNShowTime1,
    IdNOpenOnStartup,
    IdNexit,
    IdHelp1,
    IdAbout1,
    // Tray menu.
    IdOpen1 = 1100,
    IdNItemOptions,
    IdStopSpeak1,
    IdNOpenOnStartup2,
    IdExit1,
    IdPauseSpeak1,
};

enum TimerId : unsigned {
    IdTimer2 = 2,  // capture tick
    IdTimer3 = 3,  // chat window tracking tick
    IdQueueTimer = 4,  // runs while messages wait to be said
};

inline constexpr unsigned kTimerIntervalMs = 1000;
// How soon a waiting message follows the one before it.
inline constexpr unsigned kQueueTimerMs = 200;
inline constexpr unsigned kTrayIconId = 1;
// What the notification area sends the main window about the tray icon.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;
// What the history reader posts the main window when a read of the chat window is done.
inline constexpr UINT kHistoryReadMessage = WM_APP + 2;
// What it posts when it sees the followed history change between the capture ticks.
inline constexpr UINT kHistoryChangedMessage = WM_APP + 3;

// The notebook's pages, and the main window's client area they and the status bar fill.
inline constexpr wchar_t kTabSheetClass[] = L"TTabSheet";
inline constexpr int kClientWidth = 305, kClientHeight = 522;

}  // namespace parlowen::app
