// The main window worked by keyboard alone, with real key presses and the focus read back
// after each, and named for screen readers.
#include "e2e.h"
#include "program_win32.h"
#include "win32/com_win32.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace {

using namespace e2e;

using namespace parlowen::app;

// The control that has the keyboard in the program; a combo box for its own edit box.
HWND Focused(HWND main) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(main, nullptr), &info)) return nullptr;
    HWND parent = info.hwndFocus ? ::GetParent(info.hwndFocus) : nullptr;
    return parent && ClassName(parent) == L"ComboBox" ? parent : info.hwndFocus;
}

// Types the key, and once the keyboard has moved on, where it is.
HWND TypeAndFollow(HWND main, BYTE key, std::initializer_list<BYTE> held = {}) {
    HWND before = Focused(main);
    TypeKey(key, held);
    WaitUntil([&] { return Focused(main) != before; }, 2000);
    return Focused(main);
}

int Id(HWND control) { return ::GetDlgCtrlID(control); }

// Every control of `page` a user can work: shown, enabled, neither a label nor a group box.
std::vector<int> WorkableControls(HWND page) {
    std::vector<int> ids;
    for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        const bool groupBox = ClassName(child) == L"Button" && (style & BS_TYPEMASK) == BS_GROUPBOX;
        if ((style & WS_VISIBLE) && !(style & WS_DISABLED) && ClassName(child) != L"Static" && !groupBox)
            ids.push_back(Id(child));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

// Reading order: each control further down, or on the same row (within half a line) and
// further right.
bool InReadingOrder(const std::vector<HWND>& walk) {
    for (size_t i = 1; i < walk.size(); ++i) {
        const RECT a = RectInParent(walk[i - 1]), b = RectInParent(walk[i]);
        if (!(b.top > a.top + 8 || (std::abs(b.top - a.top) <= 8 && b.left > a.left))) return false;
    }
    return true;
}

void BringBackFromTray(HWND main) {
    ::PostMessageW(main, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONUP);
    WaitUntil([&] { return Shown(main) && ::GetForegroundWindow() == main; }, 5000);
}

// From the page tabs, Tab meets every control of the page once, in reading order, and
// comes back to the tabs; Shift+Tab goes the same way backwards. The log is never typed into.
E2E_TEST(KeyboardTabGoesRoundEveryPageAndNothingTrapsIt) {
    START_PROGRAM(program, main);
    BringBackFromTray(main);
    HWND notebook = Notebook(main);
    HWND log = ::GetDlgItem(Page(main, IdTabSheet1), IdRichEdit1);
    CHECK(WaitUntil([&] { return Focused(main) == log; }, 3000));  // restored on the log's page
    const std::wstring logBefore = ProbeLog(main);

    const int pages[] = {IdTabSheet1, IdTabSheet2, IdTabSheet3, IdTabSheet4};
    for (int index = 0; index < 4; ++index) {
        HWND page = Page(main, pages[index]);
        Context round(Utf8(WindowText(page)));
        if (index > 0) TypeAndFollow(main, VK_TAB, {VK_CONTROL});
        REQUIRE(::IsWindowVisible(page));
        CHECK_EQ(TypeAndFollow(main, VK_TAB, {VK_SHIFT}), notebook);  // from the page's first control

        std::vector<HWND> walk;
        for (size_t step = 0; step <= WorkableControls(page).size(); ++step) {
            walk.push_back(TypeAndFollow(main, VK_TAB));
            if (step == 1) SaveScreenshot(main, L"keyboard-page" + std::to_wstring(index + 1));  // the focus shown
        }
        REQUIRE(!walk.empty());
        CHECK_EQ(walk.back(), notebook);
        walk.pop_back();
        std::vector<int> met;
        for (HWND control : walk) met.push_back(Id(control));
        std::sort(met.begin(), met.end());
        CHECK(met == WorkableControls(page));  // each once
        CHECK(InReadingOrder(walk));

        std::vector<HWND> back;
        for (size_t step = 0; step <= walk.size(); ++step) back.push_back(TypeAndFollow(main, VK_TAB, {VK_SHIFT}));
        std::reverse(walk.begin(), walk.end());
        walk.push_back(notebook);
        CHECK(back == walk);
    }
    CHECK_EQ(ProbeLog(main), logBefore);

    // Ctrl+Tab comes round to the log; Ctrl+Shift+Tab, Ctrl+PageUp and Ctrl+PageDown turn back and forth.
    CHECK_EQ(TypeAndFollow(main, VK_TAB, {VK_CONTROL}), log);
    CHECK_EQ(Id(TypeAndFollow(main, VK_TAB, {VK_CONTROL, VK_SHIFT})), static_cast<int>(IdEveryChat));
    CHECK_EQ(Id(TypeAndFollow(main, VK_PRIOR, {VK_CONTROL})), static_cast<int>(IdNicknames));
    CHECK_EQ(Id(TypeAndFollow(main, VK_PRIOR, {VK_CONTROL})), static_cast<int>(IdCBMe));
    CHECK_EQ(Id(TypeAndFollow(main, VK_NEXT, {VK_CONTROL})), static_cast<int>(IdNicknames));
    // In the nicknames box Enter still starts a new line.
    TypeKey(VK_RETURN);
    HWND nicknames = Focused(main);
    CHECK(WaitUntil([&] { return ControlText(nicknames) == L"\r\n"; }, 2000));
    CHECK_EQ(ProbeLog(main), logBefore);
    CHECK_EQ(program.Close(), 0ul);
}

// Brought back from the tray, the keyboard is on the log on its page, otherwise on the
// control that had it last.
E2E_TEST(KeyboardFocusComesBackWithTheWindow) {
    START_PROGRAM(program, main);
    BringBackFromTray(main);
    // The keyboard comes to the log a moment after the window: a key typed before that
    // would be followed by the wrong change of focus.
    REQUIRE(WaitUntil([&] { return Id(Focused(main)) == IdRichEdit1; }, 3000));
    TypeAndFollow(main, VK_TAB, {VK_CONTROL});
    CHECK_EQ(Id(TypeAndFollow(main, VK_TAB)), static_cast<int>(IdCBFriend));
    for (unsigned trayCommand : {0u, unsigned{IdOpen1}}) {
        ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        REQUIRE(WaitUntil([&] { return !::IsWindowVisible(main); }, 5000));
        if (trayCommand) {
            ::PostMessageW(main, WM_COMMAND, trayCommand, 0);  // "查看消息"
            REQUIRE(WaitUntil([&] { return Shown(main) && ::GetForegroundWindow() == main; }, 5000));
        } else {
            BringBackFromTray(main);
        }
        CHECK(WaitUntil([&] { return Id(Focused(main)) == (trayCommand ? IdRichEdit1 : IdCBFriend); }, 3000));
    }
    CHECK_EQ(program.Close(), 0ul);
}

// The name a screen reader hears for `control`, from the system's accessibility proxy
// (oleacc is looked up at run time: its import library and MinGW's uuid library both
// define IID_IAccessible).
std::wstring AccessibleName(HWND control) {
    using ObjectFromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    static const auto objectFromWindow = reinterpret_cast<ObjectFromWindow>(
        reinterpret_cast<void*>(::GetProcAddress(::LoadLibraryW(L"oleacc.dll"), "AccessibleObjectFromWindow")));
    Microsoft::WRL::ComPtr<IAccessible> accessible;
    if (!objectFromWindow || FAILED(objectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(accessible.GetAddressOf()))))
        return L"(no accessible object)";
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (FAILED(accessible->get_accName(self, &name)) || !name) return {};
    std::wstring text(name, ::SysStringLen(name));
    ::SysFreeString(name);
    return text;
}

// Each control without a caption of its own comes right after its label, which the
// Windows accessibility proxies name it by; Wine's names every button, check box and
// edit box by its caption or that label.
E2E_TEST(KeyboardEveryControlIsNamedForScreenReaders) {
    START_PROGRAM(program, main);
    const struct {
        int page;  // 0: the main window itself
        int id;
        const wchar_t* label;
    } labelled[] = {
        {0, IdPageControl1, L"页面"},
        {IdTabSheet1, IdRichEdit1, L"消息记录"},
        {IdTabSheet2, IdCBVoice, L"引擎:"},
        {IdTabSheet2, IdTRate, L"语速:"},
        {IdTabSheet2, IdTVolume, L"音量:"},
        {IdTabSheet2, IdCBVoice1, L"引擎:"},
        {IdTabSheet2, IdTRate1, L"语速:"},
        {IdTabSheet2, IdTVolume1, L"音量:"},
        {IdTabSheet3, IdNicknames, L"我的昵称："},
        {IdTabSheet3, IdReplacements, L"替换词（原文 = 读法）："},
        {IdTabSheet3, IdMemberList, L"群聊中见过的成员："},
        {IdTabSheet3, IdMemberVoice, L"声音："},
        {IdTabSheet3, IdLongestMessage, L"每条最多读"},
        {IdTabSheet3, IdStopHotkey, L"停止朗读的热键"},
        {IdTabSheet3, IdPauseHotkey, L"暂停/继续的热键"},
        {IdTabSheet4, IdChatList, L"见过的聊天："},
        {IdTabSheet4, IdChatMode, L"朗读："},
    };
    for (const auto& control : labelled) {
        HWND window = ::GetDlgItem(control.page ? Page(main, control.page) : main, control.id);
        Context which("control " + Describe(control.id));
        REQUIRE(window != nullptr);
        HWND label = ::GetWindow(window, GW_HWNDPREV);
        CHECK_EQ(ClassName(label), std::wstring(L"Static"));
        CHECK_EQ(WindowText(label), std::wstring(control.label));
    }

    parlowen::win32::ComApartment com(COINIT_APARTMENTTHREADED);
    int named = 0;
    for (int pageId : {IdTabSheet2, IdTabSheet3, IdTabSheet4}) {
        HWND page = Page(main, pageId);
        for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            const bool edit = ClassName(child) == L"Edit";
            if (!edit && ClassName(child) != L"Button") continue;
            Context which("control " + Describe(Id(child)));
            const std::wstring expected = WindowText(edit ? ::GetWindow(child, GW_HWNDPREV) : child);
            CHECK(!expected.empty());
            CHECK_EQ(AccessibleName(child), expected);
            ++named;
        }
    }
    CHECK_EQ(named, 25);  // 9 buttons and boxes on "选项"; 12 and 3 edit boxes on "群聊与朗读"; 1 on "聊天窗口"
    CHECK_EQ(program.Close(), 0ul);
}

}  // namespace
