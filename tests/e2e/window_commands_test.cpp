// Hiding to the tray and coming back, the tray menu's commands, the help and about
// boxes, and ending the program from the tray.
#include "e2e.h"
#include "program_win32.h"

namespace {

using namespace e2e;

using namespace parlowen::app;

E2E_TEST(MinimiseAndCloseHideToTheTrayAndTheProgramGoesOn) {
    START_PROGRAM(program, main);

    for (WPARAM command : {WPARAM{SC_CLOSE}, WPARAM{SC_MINIMIZE}}) {
        ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, WM_LBUTTONUP);  // TrayIcon1Click
        CHECK(WaitUntil([&] { return Shown(main); }, 5000));
        ::PostMessageW(main, WM_SYSCOMMAND, command, 0);
        CHECK(WaitUntil([&] { return !::IsWindowVisible(main); }, 5000));
        Pump(500);
        CHECK(program.Running());
        CHECK(::IsWindow(main));
    }

    // Alt+F4 reaches the window as SC_CLOSE too.
    ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, WM_LBUTTONDBLCLK);  // TrayIcon1DblClick
    CHECK(WaitUntil([&] { return Shown(main); }, 5000));
    ::PostMessageW(main, WM_SYSKEYDOWN, VK_F4, 0x20000000);
    CHECK(WaitUntil([&] { return !::IsWindowVisible(main); }, 5000));
    CHECK(program.Running());

    // Another system command (restore) is handled as usual.
    ::ShowWindow(main, SW_SHOWMINIMIZED);
    ::PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    CHECK(WaitUntil([&] { return Shown(main); }, 5000));
    CHECK_EQ(program.Close(), 0ul);
}

E2E_TEST(TrayMenuShowsEitherPageAndExitEndsTheProgramWhileHidden) {
    START_PROGRAM(program, main);

    ::PostMessageW(main, WM_COMMAND, IdNItemOptions, 0);  // "选项设置"
    CHECK(WaitUntil([&] { return Shown(main) && ::IsWindowVisible(Page(main, IdTabSheet2)); }, 5000));
    CHECK(!::IsWindowVisible(Page(main, IdTabSheet1)));

    ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(WaitUntil([&] { return !::IsWindowVisible(main); }, 5000));
    ::PostMessageW(main, WM_COMMAND, IdOpen1, 0);  // "查看消息"
    CHECK(WaitUntil([&] { return Shown(main) && ::IsWindowVisible(Page(main, IdTabSheet1)); }, 5000));
    CHECK(!::IsWindowVisible(Page(main, IdTabSheet2)));

    // A tray click keeps whichever page was in front.
    ::PostMessageW(main, WM_COMMAND, IdNItemOptions, 0);
    ::PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    CHECK(WaitUntil([&] { return !::IsWindowVisible(main); }, 5000));
    ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, WM_LBUTTONUP);
    CHECK(WaitUntil([&] { return Shown(main); }, 5000));
    CHECK(::IsWindowVisible(Page(main, IdTabSheet2)));

    ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(WaitUntil([&] { return !::IsWindowVisible(main); }, 5000));
    ::PostMessageW(main, WM_COMMAND, IdExit1, 0);  // tray "退出"
    CHECK_EQ(program.WaitForExit(10000), 0ul);
}

E2E_TEST(HelpAndAboutBoxesShowTheirTextsAndLeaveTheWindowUsable) {
    START_PROGRAM(program, main);
    ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, WM_LBUTTONUP);
    REQUIRE(WaitUntil([&] { return Shown(main); }, 5000));

    ::PostMessageW(main, WM_COMMAND, IdHelp1, 0);
    HWND help = WaitForMessageBox(L"帮助");
    REQUIRE(help != nullptr);
    const std::wstring helpText = MessageBoxText(help);
    CHECK_EQ(helpText, std::wstring(L"如何使用本软件?\r\n\r\n1. 打开并登陆 QQ 或 TM 软件。 \r\n\r\n2. 开始与QQ或TM上的好朋友进行文字聊天。\r\n\r\n3. 即可立即发送和接收到的消息被朗读出来。\r\n\r\n----------------------------------------------\r\n\r\n在朗读时如何使QQ静音?\r\n\r\n1.点击QQ主菜单,\r\n\r\n2.点击 静音 菜单项,\r\n\r\n3.这样即可在朗读消息时听着更加清楚和舒适。"));
    CHECK(::IsWindowEnabled(main));
    Pump(300);
    SaveScreenshot(nullptr, L"help-box");
    ::PostMessageW(help, WM_COMMAND, IDOK, 0);
    CHECK(WaitUntil([] { return ::FindWindowW(L"#32770", L"帮助") == nullptr; }, 5000));

    ::PostMessageW(main, WM_COMMAND, IdAbout1, 0);
    HWND about = WaitForMessageBox(L"关于");
    REQUIRE(about != nullptr);
    const std::wstring aboutText = MessageBoxText(about);
    CHECK(aboutText.rfind(L"Parlowen2009\r\n" + std::wstring(37, L'-') + L"\r\n", 0) == 0);
    CHECK(aboutText.size() > 14 + 37 + 2);
    CHECK(::IsWindowEnabled(main));
    Pump(300);
    SaveScreenshot(nullptr, L"about-box");
    ::PostMessageW(about, WM_COMMAND, IDOK, 0);
    CHECK(WaitUntil([] { return ::FindWindowW(L"#32770", L"关于") == nullptr; }, 5000));
    CHECK_EQ(program.Close(), 0ul);
}

}  // namespace
