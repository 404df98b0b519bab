// Building TFmain's controls: the two-page notebook, the log pane, the options page
// (which builds its own controls) and the status bar, at the positions and with the
// captions users know.
#include "app/main_window_win32.h"

#include "win32/child_window_win32.h"
#include "app/control_ids.h"
#include "app/chats_page_win32.h"
#include "app/error_report_win32.h"
#include "app/options_page_win32.h"
#include "app/people_page_win32.h"
#include "log/log_control_win32.h"

#include <commctrl.h>

#include <iterator>
#include <vector>

namespace parlowen::app {
namespace {

constexpr int kPages = 4;

using win32::CreateChild;
using win32::Rect;

constexpr int kStatusBarHeight = 19;
constexpr int kNotebookHeight = 503;

constexpr wchar_t kStatusText[] = L"  Parlowen2009：即时朗读QQ消息，让你的QQ会说话！";

BOOL CALLBACK SetFontOf(HWND child, LPARAM font) {
    ::SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}

// The log pane, with a thin panel at its left, and the label that names it for screen readers.
HWND CreateLogPane(HWND page, HFONT font) {
    RECT client;
    ::GetClientRect(page, &client);
    CreateChild(page, L"STATIC", L"", 0, {0, 0, 1, client.bottom}, IdPanel1);
    win32::CreateHiddenLabel(page, L"消息记录", IdLabelLog);
    return log::CreateLogControl(page, {1, 0, client.right, client.bottom}, IdRichEdit1, font);
}

void CreateStatusBar(HWND window, HFONT font) {
    // CCS_NORESIZE keeps the bar at its 19 pixels instead of the height the font suggests.
    HWND bar = CreateChild(window, STATUSCLASSNAMEW, L"", CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                           {0, kNotebookHeight, kClientWidth, kStatusBarHeight}, IdStatusBar1);
    ::SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    int rightEdges[] = {-1};  // one panel, stretched to the window's edge
    ::SendMessageW(bar, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(rightEdges));
    ::SendMessageW(bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(kStatusText));
}

// The notebook and its pages; a page's window text is its caption, so the pages can be
// told apart from outside. A label that is never shown names the page tabs for screen
// readers, which name a control without a caption of its own after the window before it.
HWND CreateNotebook(HWND window, HFONT font, HWND (&pages)[kPages]) {
    win32::CreateHiddenLabel(window, L"页面", IdLabelPages);
    HWND notebook = CreateChild(window, WC_TABCONTROLW, L"页面", WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP,
                                {0, 0, kClientWidth, kNotebookHeight}, IdPageControl1, WS_EX_CONTROLPARENT);
    ::SendMessageW(notebook, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    const wchar_t* captions[] = {L"消息", L"选项", L"群聊与朗读", L"聊天窗口"};
    for (int i = 0; i < kPages; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(captions[i]);
        ::SendMessageW(notebook, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }

    RECT display{0, 0, kClientWidth, kNotebookHeight};
    ::SendMessageW(notebook, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    const Rect page{display.left, display.top, display.right - display.left, display.bottom - display.top};
    const unsigned ids[] = {IdTabSheet1, IdTabSheet2, IdTabSheet3, IdTabSheet4};
    for (int i = 0; i < kPages; ++i)
        pages[i] = CreateChild(notebook, kTabSheetClass, captions[i], WS_CLIPCHILDREN, page, ids[i], WS_EX_CONTROLPARENT);
    return notebook;
}

}  // namespace

void TFmain::CreateControls() {
    pageControl1_ = CreateNotebook(hwnd_, formFont_.get(), tabSheets_);
    keyboard_.emplace(hwnd_, pageControl1_, std::vector<HWND>(std::begin(tabSheets_), std::end(tabSheets_)),
                      [this](int page) { ShowPage(page); });
    // A page that cannot be built is reported; the rest of the window still comes up.
    RunReportingFailure([&] { richEdit1_ = CreateLogPane(tabSheets_[0], logFont_.get()); });
    RunReportingFailure([&] { optionsPage_ = std::make_unique<OptionsPage>(tabSheets_[1], profiles_, settings_.reading); });
    RunReportingFailure([&] { peoplePage_ = std::make_unique<PeoplePage>(tabSheets_[2], people_, replacements_, profiles_,
                                                                        settings_.speaking, settings_.hotkeys);
    });
    RunReportingFailure([&] { chatsPage_ = std::make_unique<ChatsPage>(tabSheets_[3], settings_.reading, capture_.tick().chatModes()); });
    RunReportingFailure([&] { CreateStatusBar(hwnd_, formFont_.get()); });

    // Every control speaks the form's font, except the log, which has its own.
    ::EnumChildWindows(hwnd_, &SetFontOf, reinterpret_cast<LPARAM>(formFont_.get()));
    ::SendMessageW(richEdit1_, WM_SETFONT, reinterpret_cast<WPARAM>(logFont_.get()), FALSE);
    ShowPage(0);
}

void TFmain::ShowPage(int index) {
    ::SendMessageW(pageControl1_, TCM_SETCURSEL, index, 0);
    for (int i = 0; i < kPages; ++i)
        if (i != index) ::ShowWindow(tabSheets_[i], SW_HIDE);
    if (index == 2 && peoplePage_) peoplePage_->Refresh();
    if (index == 3 && chatsPage_) chatsPage_->Refresh();
    ::ShowWindow(tabSheets_[index], SW_SHOW);
    if (keyboard_) keyboard_->PageShown();
}

}  // namespace parlowen::app
