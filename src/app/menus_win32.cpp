#include "app/menus_win32.h"

#include "app/control_ids.h"
#include "win32/errors_win32.h"

#include <initializer_list>
#include <string>

namespace parlowen::app {
namespace {

struct MenuItem {
    unsigned id;           // 0 for a separator
    const wchar_t* caption;
    bool checked = false;
};

constexpr MenuItem Separator{0, nullptr};

constexpr wchar_t kHelpText[] =
    L"如何使用本软件?\r\n\r\n1. 打开并登陆 QQ 或 TM 软件。 \r\n\r\n2. 开始与QQ或TM上的好朋友进行文字聊天。\r\n\r\n3. 即可立即发送和接收到的消息被朗读出来。\r\n\r\n----------------------------------------------\r\n\r\n在朗读时如何使QQ静音?\r\n\r\n1.点击QQ主菜单,\r\n\r\n2.点击 静音 菜单项,\r\n\r\n3.这样即可在朗读消息时听着更加清楚和舒适。";

const std::wstring kAboutText = std::wstring(L"Parlowen2009\r\n") + std::wstring(37, L'-') +
                                L"\r\n即时朗读聊天消息，让你的聊天会说话。";

HMENU BuildPopup(std::initializer_list<MenuItem> items) {
    HMENU menu = ::CreatePopupMenu();
    win32::ThrowLastErrorIf(menu == nullptr, "CreatePopupMenu");
    for (const MenuItem& item : items) {
        if (item.id == 0) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            ::AppendMenuW(menu, MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED), item.id,
                          item.caption);
        }
    }
    return menu;
}

}  // namespace

HMENU BuildMainMenu() {
    HMENU bar = ::CreateMenu();
    win32::ThrowLastErrorIf(bar == nullptr, "CreateMenu");
    HMENU main = BuildPopup({
        {IdNOpenMessage, L"打开消息"},
        {IdNClearMessage, L"清空消息"},
        {IdNSaveMessage, L"保存消息"},
        {IdExportMessageToWav1, L"消息导出为WAV"},
        Separator,
        {IdNShowTime1, L"显示时间", true},
        Separator,
        {IdNOpenOnStartup, L"启动时运行"},
        Separator,
        {IdNexit, L"退出"},
    });
    HMENU help = BuildPopup({
        {IdHelp1, L"帮助"},
        Separator,
        {IdAbout1, L"关于"},
    });
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(main), L"主菜单");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"帮助");
    return bar;
}

HMENU BuildTrayMenu() {
    return BuildPopup({
        {IdOpen1, L"查看消息"},
        {IdNItemOptions, L"选项设置"},
        Separator,
        {IdStopSpeak1, L"停止朗读"},
        {IdPauseSpeak1, L"暂停朗读"},
        {IdNOpenOnStartup2, L"开机时运行"},
        Separator,
        {IdExit1, L"退出"},
    });
}

void Help1Click() { ::MessageBoxW(nullptr, kHelpText, L"帮助", MB_OK); }

void About1Click() { ::MessageBoxW(nullptr, kAboutText.c_str(), L"关于", MB_OK); }

}  // namespace parlowen::app
