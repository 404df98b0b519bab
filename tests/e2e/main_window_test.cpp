// The main window as a user first meets it: caption, size, pages, menus, status bar,
// and a second start that ends at once.
#include "e2e.h"
#include "program_win32.h"
#include "win32/handles_win32.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

using namespace e2e;

using namespace parlowen::app;

HWND Child(HWND parent, int id) { return ::GetDlgItem(parent, id); }

// Clicks a tab of the notebook the way a user does; tabs are laid out from the left.
void ClickTab(HWND notebook, int index) {
    const LPARAM at = MAKELPARAM(20 + 40 * index, 10);
    ::PostMessageW(notebook, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(notebook, WM_LBUTTONUP, 0, at);
}

E2E_TEST(MainWindowStartsMinimisedWithItsCaptionAndSize) {
    START_PROGRAM(program, main);
    CHECK_EQ(WindowText(main), std::wstring(L"Parlowen2009"));
    CHECK(::IsWindowVisible(main));
    CHECK(::IsIconic(main));

    const LONG style = ::GetWindowLongW(main, GWL_STYLE);
    CHECK((style & WS_SYSMENU) != 0);
    CHECK((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0);

    ::ShowWindow(main, SW_RESTORE);
    WaitUntil([&] { return !::IsIconic(main); }, 5000);
    RECT client;
    ::GetClientRect(main, &client);
    CHECK_EQ(client.right - client.left, 305);
    CHECK_EQ(client.bottom - client.top, 522);

    // Centred on the screen.
    RECT frame;
    ::GetWindowRect(main, &frame);
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    CHECK(std::abs((frame.left + frame.right) / 2 - screenWidth / 2) <= 1);
    CHECK(std::abs((frame.top + frame.bottom) / 2 - screenHeight / 2) <= 1);

    CHECK_EQ(program.Close(), 0ul);
}

E2E_TEST(NotebookShowsTheEmptyLogAndTheOptionsPage) {
    START_PROGRAM(program, main);
    ::ShowWindow(main, SW_RESTORE);

    HWND notebook = Notebook(main);
    REQUIRE(notebook != nullptr);
    RECT notebookRect = RectInParent(notebook);
    CHECK_EQ(notebookRect.right - notebookRect.left, 305);
    CHECK_EQ(notebookRect.bottom - notebookRect.top, 503);
    CHECK_EQ(::SendMessageW(notebook, TCM_GETITEMCOUNT, 0, 0), 4);  // the group chats and chats pages after the two
    CHECK_EQ(::SendMessageW(notebook, TCM_GETCURSEL, 0, 0), 0);

    HWND messages = Child(notebook, IdTabSheet1);
    HWND options = Child(notebook, IdTabSheet2);
    HWND groups = Child(notebook, IdTabSheet3);
    HWND chats = Child(notebook, IdTabSheet4);
    REQUIRE(messages && options && groups && chats);
    CHECK_EQ(WindowText(messages), std::wstring(L"消息"));
    CHECK_EQ(WindowText(options), std::wstring(L"选项"));
    CHECK_EQ(WindowText(groups), std::wstring(L"群聊与朗读"));
    CHECK_EQ(WindowText(chats), std::wstring(L"聊天窗口"));
    CHECK(::IsWindowVisible(messages));
    CHECK(!::IsWindowVisible(options));
    CHECK(!::IsWindowVisible(groups));

    HWND log = Child(messages, IdRichEdit1);
    REQUIRE(log != nullptr);
    CHECK_EQ(ClassName(log), std::wstring(L"RichEdit20A"));
    CHECK_EQ(ControlTextAnsi(log), std::string());
    CHECK((::GetWindowLongW(log, GWL_STYLE) & WS_HSCROLL) == 0);  // lines wrap
    const RECT logRect = RectInParent(log);
    CHECK_EQ(logRect.left, 1);  // the 1-pixel panel stands to its left
    CHECK_EQ(logRect.right - logRect.left, 296);

    HWND status = Child(main, IdStatusBar1);
    REQUIRE(status != nullptr);
    CHECK_EQ(ControlText(status), std::wstring(L"  Parlowen2009：即时朗读QQ消息，让你的QQ会说话！"));
    CHECK_EQ(RectInParent(status).bottom - RectInParent(status).top, 19);

    SaveScreenshot(main, L"main-messages");
    ClickTab(notebook, 1);
    CHECK(WaitUntil([&] { return ::IsWindowVisible(options) && !::IsWindowVisible(messages); }, 5000));
    Pump(300);
    SaveScreenshot(main, L"main-options");
    CHECK_EQ(program.Close(), 0ul);
}

struct ExpectedControl {
    int id;
    const wchar_t* windowClass;
    const wchar_t* caption;  // nullptr: not compared
    RECT rect;               // left, top, right, bottom on the page
};

E2E_TEST(OptionsPageHoldsEveryControlInPlace) {
    START_PROGRAM(program, main);
    HWND options = Child(Notebook(main), IdTabSheet2);
    REQUIRE(options != nullptr);

    // Group positions plus the control's position inside its group.
    const ExpectedControl expected[] = {
        {IdGroupBox3, L"Button", L"朗读设置", {12, 3, 12 + 277, 3 + 82}},
        {IdCBMe, L"Button", L"朗读自己的消息", {26, 28, 0, 0}},
        {IdCBFriend, L"Button", L"朗读好友的消息", {148, 28, 0, 0}},
        {IdCBmyname, L"Button", L"朗读自己的昵称", {26, 53, 0, 0}},
        {IdCBFriendsname, L"Button", L"朗读好友的昵称", {148, 53, 0, 0}},
        {IdGroupBox1, L"Button", L"我的引擎设置", {12, 91, 12 + 277, 91 + 141}},
        {IdCBVoice, L"ComboBox", nullptr, {80, 115, 80 + 176, 0}},
        {IdTRate, L"msctls_trackbar32", nullptr, {76, 146, 76 + 164, 146 + 28}},
        {IdTVolume, L"msctls_trackbar32", nullptr, {75, 176, 75 + 164, 176 + 28}},
        {IdLRate, L"Static", nullptr, {251, 145, 0, 0}},
        {IdLVolume, L"Static", nullptr, {249, 180, 0, 0}},
        {IdBtnDefault1, L"Button", L"默认", {116, 207, 116 + 75, 207 + 22}},
        {IdLabelEngine, L"Static", L"引擎:", {21, 118, 21 + 28, 118 + 13}},
        {IdLabelRate, L"Static", L"语速:", {21, 150, 0, 0}},
        {IdLabelVolume, L"Static", L"音量:", {21, 182, 0, 0}},
        {IdGroupBox2, L"Button", L"好友的引擎设置", {12, 239, 12 + 277, 239 + 142}},
        {IdCBVoice1, L"ComboBox", nullptr, {80, 263, 80 + 176, 0}},
        {IdTRate1, L"msctls_trackbar32", nullptr, {75, 290, 75 + 165, 290 + 28}},
        {IdTVolume1, L"msctls_trackbar32", nullptr, {75, 324, 75 + 165, 324 + 28}},
        {IdLRate1, L"Static", nullptr, {246, 293, 0, 0}},
        {IdLVolume1, L"Static", nullptr, {246, 328, 0, 0}},
        {IdBtnDefault2, L"Button", L"默认", {116, 356, 116 + 75, 356 + 21}},
        {IdLabelRate1, L"Static", L"语速:", {21, 294, 0, 0}},
    };
    for (const ExpectedControl& e : expected) {
        HWND control = Child(options, e.id);
        if (control == nullptr) {
            Fail(__FILE__, __LINE__, "no control with id " + std::to_string(e.id));
            continue;
        }
        CHECK_EQ(ClassName(control), std::wstring(e.windowClass));
        if (e.caption) CHECK_EQ(WindowText(control), std::wstring(e.caption));
        const RECT r = RectInParent(control);
        CHECK_EQ(r.left, e.rect.left);
        CHECK_EQ(r.top, e.rect.top);
        if (e.rect.right) CHECK_EQ(r.right, e.rect.right);
        if (e.rect.bottom) CHECK_EQ(r.bottom, e.rect.bottom);
    }
    for (int checkBox : {IdCBMe, IdCBFriend, IdCBmyname, IdCBFriendsname})
        CHECK_EQ(::SendMessageW(Child(options, checkBox), BM_GETCHECK, 0, 0), BST_CHECKED);
    for (int slider : {IdTRate, IdTRate1})
        CHECK_EQ(::SendMessageW(Child(options, slider), TBM_GETRANGEMIN, 0, 0), -10);
    for (int slider : {IdTVolume, IdTVolume1})
        CHECK_EQ(::SendMessageW(Child(options, slider), TBM_GETRANGEMAX, 0, 0), 100);
    CHECK_EQ(program.Close(), 0ul);
}

E2E_TEST(MenuBarHoldsTheMainAndHelpMenus) {
    START_PROGRAM(program, main);
    CHECK_EQ(ProbeMenu(main, ProbedMenu::MenuBar), std::wstring(L"0 - 主菜单\n"
                                              L"1 - 打开消息\n"
                                              L"1 - 清空消息\n"
                                              L"1 - 保存消息\n"
                                              L"1 - 消息导出为WAV\n"
                                              L"1 S \n"
                                              L"1 C 显示时间\n"
                                              L"1 S \n"
                                              L"1 - 启动时运行\n"
                                              L"1 S \n"
                                              L"1 - 退出\n"
                                              L"0 - 帮助\n"
                                              L"1 - 帮助\n"
                                              L"1 S \n"
                                              L"1 - 关于\n"));
    CHECK_EQ(program.Close(), 0ul);
}

// The tray icon by mouse and by keyboard: a right click, and Shift+F10 or the menu key
// (WM_CONTEXTMENU alone), open the menu; Enter and Space on the icon bring the window back.
E2E_TEST(TrayIconOpensTheTrayMenuAndRestoresTheWindowByMouseAndByKeyboard) {
    START_PROGRAM(program, main);
    HWND menu = OpenTrayMenu(main);
    REQUIRE(menu != nullptr);
    SaveScreenshot(nullptr, L"tray-menu");
    CHECK_EQ(ProbeMenu(main, ProbedMenu::OpenPopup), std::wstring(L"0 - 查看消息\n"
                                                                  L"0 - 选项设置\n"
                                                                  L"0 S \n"
                                                                  L"0 - 停止朗读\n"
                                                                  L"0 - 暂停朗读\n"
                                                                  L"0 - 开机时运行\n"
                                                                  L"0 S \n"
                                                                  L"0 - 退出\n"));
    const auto closeMenu = [] {
        ::PostMessageW(::FindWindowW(L"#32768", nullptr), WM_KEYDOWN, VK_ESCAPE, 0);
        return WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) == nullptr; }, 5000);
    };
    CHECK(closeMenu());
    ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, WM_CONTEXTMENU);
    CHECK(WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) != nullptr; }, 5000));
    CHECK(closeMenu());
    ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, NIN_KEYSELECT);
    CHECK(WaitUntil([&] { return Shown(main); }, 5000));
    CHECK_EQ(program.Close(), 0ul);
}

E2E_TEST(SecondStartEndsAtOnceAndShowsNothing) {
    Program first;
    first.Start();
    REQUIRE(first.MainWindow() != nullptr);

    Program second;
    second.Start(L" -s");
    CHECK_EQ(second.WaitForExit(10000), 0ul);
    CHECK_EQ(TopLevelWindows(L"TFmain").size(), size_t{1});
    CHECK_EQ(first.Close(), 0ul);

    // Two starts 50 ms apart, long before either has its window: one of them runs.
    const auto start = [] {
        const std::wstring exe = DriverFolder() + L"parlowen.exe";
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return parlowen::win32::UniqueKernelHandle();
        ::CloseHandle(info.hThread);
        return parlowen::win32::UniqueKernelHandle(info.hProcess);
    };
    const parlowen::win32::UniqueKernelHandle one = start();
    ::Sleep(50);
    const parlowen::win32::UniqueKernelHandle other = start();
    REQUIRE(one && other);
    const HANDLE both[] = {one.get(), other.get()};
    const DWORD ended = ::WaitForMultipleObjects(2, both, FALSE, 15000) - WAIT_OBJECT_0;
    REQUIRE(ended < 2);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(both[ended], &exitCode);
    CHECK_EQ(exitCode, 0ul);
    const HANDLE survivor = both[1 - ended];
    CHECK(::WaitForSingleObject(survivor, 0) == WAIT_TIMEOUT);
    CHECK(WaitUntil([] { return TopLevelWindows(L"TFmain").size() == 1; }, 15000));
    for (HWND window : TopLevelWindows(L"TFmain")) ::PostMessageW(window, WM_COMMAND, app::IdNexit, 0);
    CHECK(::WaitForSingleObject(survivor, 15000) == WAIT_OBJECT_0);
}

E2E_TEST(ShortcutArgumentChangesNothing) {
    START_PROGRAM(program, main, L" -s");
    CHECK_EQ(WindowText(main), std::wstring(L"Parlowen2009"));
    CHECK(::IsIconic(main));
    CHECK_EQ(program.Close(), 0ul);
}

}  // namespace
