// Building TFmain's controls: the two-page notebook, the log pane, the options page
// and the status bar, at the positions and with the captions users know.
#include "app/main_window_win32.h"

#include "app/control_ids.h"

#include <commctrl.h>
#include <richedit.h>

namespace parlowen::app {
namespace {

constexpr int kClientWidth = 305;
constexpr int kStatusBarHeight = 19;
constexpr int kNotebookHeight = 503;

constexpr wchar_t kStatusText[] = L"  Parlowen2009：即时朗读QQ消息，让你的QQ会说话！";

struct Rect {
    int x, y, width, height;
};

HWND CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style,
                 Rect r, unsigned id, DWORD exStyle = 0) {
    HWND hwnd = ::CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, r.x,
                                  r.y, r.width, r.height, parent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                                  nullptr);
    win32::ThrowLastErrorIf(hwnd == nullptr, "CreateWindowEx");
    return hwnd;
}

Rect Offset(Rect r, Rect group) { return {group.x + r.x, group.y + r.y, r.width, r.height}; }

HWND CreateCheckBox(HWND page, const wchar_t* caption, Rect r, unsigned id) {
    HWND box = CreateChild(page, L"BUTTON", caption, BS_AUTOCHECKBOX | WS_TABSTOP, r, id);
    ::SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    return box;
}

HWND CreateTrackBar(HWND page, Rect r, unsigned id, int minimum, int maximum) {
    HWND bar = CreateChild(page, TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, r, id);
    ::SendMessageW(bar, TBM_SETRANGEMIN, FALSE, minimum);
    ::SendMessageW(bar, TBM_SETRANGEMAX, FALSE, maximum);
    ::SendMessageW(bar, TBM_SETTICFREQ, 1, 0);
    ::SendMessageW(bar, TBM_SETLINESIZE, 0, 1);
    ::SendMessageW(bar, TBM_SETPAGESIZE, 0, 2);
    ::SendMessageW(bar, TBM_SETPOS, TRUE, 0);
    return bar;
}

// Positions inside one voice group; the friend's group differs by a few pixels.
struct VoiceGroupLayout {
    unsigned firstId;
    const wchar_t* caption;
    Rect group;
    Rect rateLabel, rateSlider, rateValue, volumeSlider, volumeValue, defaultButton;
};

constexpr VoiceGroupLayout kMineLayout{
    IdGroupBox1, L"我的引擎设置", {12, 91, 277, 141},
    {9, 59, 28, 13}, {64, 55, 164, 28}, {239, 54, 30, 13},
    {63, 85, 164, 28}, {237, 89, 30, 13}, {104, 116, 75, 22}};

constexpr VoiceGroupLayout kFriendLayout{
    IdGroupBox2, L"好友的引擎设置", {12, 239, 277, 142},
    {9, 55, 28, 13}, {63, 51, 165, 28}, {234, 54, 30, 13},
    {63, 85, 165, 28}, {234, 89, 30, 13}, {104, 117, 75, 21}};

}  // namespace

void TFmain::CreateControls() {
    CreateNotebook();
    CreateLogPage(tabSheets_[0]);
    CreateOptionsPage(tabSheets_[1]);
    CreateStatusBar();

    // Every control speaks the form's font, except the log, which has its own.
    ::EnumChildWindows(
        hwnd_,
        [](HWND child, LPARAM font) -> BOOL {
            ::SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(formFont_.get()));
    ::SendMessageW(richEdit1_, WM_SETFONT, reinterpret_cast<WPARAM>(logFont_.get()), FALSE);
    ShowPage(0);
}

void TFmain::CreateNotebook() {
    pageControl1_ = CreateChild(hwnd_, WC_TABCONTROLW, L"",
                                WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP,
                                {0, 0, kClientWidth, kNotebookHeight}, IdPageControl1,
                                WS_EX_CONTROLPARENT);
    ::SendMessageW(pageControl1_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);

    const wchar_t* captions[] = {L"消息", L"选项"};
    for (int i = 0; i < 2; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(captions[i]);
        ::SendMessageW(pageControl1_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }

    RECT display{0, 0, kClientWidth, kNotebookHeight};
    ::SendMessageW(pageControl1_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    const Rect page{display.left, display.top, display.right - display.left,
                    display.bottom - display.top};
    // The page's window text is its caption, so the pages can be told apart from outside.
    for (int i = 0; i < 2; ++i) {
        tabSheets_[i] = CreateChild(pageControl1_, kTabSheetClass, captions[i], WS_CLIPCHILDREN,
                                    page, IdTabSheet1 + i, WS_EX_CONTROLPARENT);
    }
}

void TFmain::CreateLogPage(HWND page) {
    RECT client;
    ::GetClientRect(page, &client);
    CreateChild(page, L"STATIC", L"", 0, {0, 0, 1, client.bottom}, IdPanel1);
    // An ANSI rich edit, as the log holds ANSI text and other programs read it that way.
    richEdit1_ = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, "RichEdit20A", "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
        1, 0, client.right - 1, client.bottom, page,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IdRichEdit1)), instance_, nullptr);
    win32::ThrowLastErrorIf(richEdit1_ == nullptr, "CreateWindowEx RichEdit20A");
    // The log has no size limit of its own; the control's default would stop at 32 KB.
    ::SendMessageW(richEdit1_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
}

void TFmain::CreateOptionsPage(HWND page) {
    const Rect reading{12, 3, 277, 82};
    options_.groupBox3 = CreateChild(page, L"BUTTON", L"朗读设置", BS_GROUPBOX, reading, IdGroupBox3);
    options_.cbMe = CreateCheckBox(page, L"朗读自己的消息", Offset({14, 25, 113, 17}, reading), IdCBMe);
    options_.cbFriend = CreateCheckBox(page, L"朗读好友的消息", Offset({136, 25, 113, 17}, reading), IdCBFriend);
    options_.cbMyname = CreateCheckBox(page, L"朗读自己的昵称", Offset({14, 50, 113, 17}, reading), IdCBmyname);
    options_.cbFriendsname =
        CreateCheckBox(page, L"朗读好友的昵称", Offset({136, 50, 113, 17}, reading), IdCBFriendsname);

    options_.mine = CreateVoiceGroup(page, false);
    options_.friend_ = CreateVoiceGroup(page, true);
}

OptionControls::VoiceGroup TFmain::CreateVoiceGroup(HWND page, bool isFriend) {
    const VoiceGroupLayout& l = isFriend ? kFriendLayout : kMineLayout;
    const unsigned id = l.firstId;  // the ids follow IdGroupBox1's order for both groups
    OptionControls::VoiceGroup g;
    g.group = CreateChild(page, L"BUTTON", l.caption, BS_GROUPBOX, l.group, id);
    CreateChild(page, L"STATIC", L"引擎:", 0, Offset({9, 27, 28, 13}, l.group), id + (IdLabelEngine - IdGroupBox1));
    CreateChild(page, L"STATIC", L"语速:", 0, Offset(l.rateLabel, l.group), id + (IdLabelRate - IdGroupBox1));
    CreateChild(page, L"STATIC", L"音量:", 0, Offset({9, 91, 28, 13}, l.group), id + (IdLabelVolume - IdGroupBox1));
    // The box lets the user type as well as pick; its list drops below the 21-pixel field.
    g.cbVoice = CreateChild(page, WC_COMBOBOXW, L"", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP,
                            Offset({68, 24, 176, 200}, l.group), id + (IdCBVoice - IdGroupBox1));
    g.tRate = CreateTrackBar(page, Offset(l.rateSlider, l.group), id + (IdTRate - IdGroupBox1), -10, 10);
    g.lRate = CreateChild(page, L"STATIC", L"0", 0, Offset(l.rateValue, l.group), id + (IdLRate - IdGroupBox1));
    g.tVolume = CreateTrackBar(page, Offset(l.volumeSlider, l.group), id + (IdTVolume - IdGroupBox1), 0, 100);
    g.lVolume = CreateChild(page, L"STATIC", L"0", 0, Offset(l.volumeValue, l.group), id + (IdLVolume - IdGroupBox1));
    g.btnDefault = CreateChild(page, L"BUTTON", L"默认", BS_PUSHBUTTON | WS_TABSTOP, Offset(l.defaultButton, l.group),
                               id + (IdBtnDefault1 - IdGroupBox1));
    return g;
}

void TFmain::CreateStatusBar() {
    // CCS_NORESIZE keeps the bar at its 19 pixels instead of the height the font suggests.
    statusBar1_ = CreateChild(hwnd_, STATUSCLASSNAMEW, L"", CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                              {0, kNotebookHeight, kClientWidth, kStatusBarHeight}, IdStatusBar1);
    ::SendMessageW(statusBar1_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
    int rightEdges[] = {-1};  // one panel, stretched to the window's edge
    ::SendMessageW(statusBar1_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(rightEdges));
    ::SendMessageW(statusBar1_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(kStatusText));
}

void TFmain::ShowPage(int index) {
    ::SendMessageW(pageControl1_, TCM_SETCURSEL, index, 0);
    ::ShowWindow(tabSheets_[1 - index], SW_HIDE);
    ::ShowWindow(tabSheets_[index], SW_SHOW);
}

}  // namespace parlowen::app
