#include "app/menus_win32.h"

#include "app/control_ids.h"
#include "win32/errors_win32.h"

#include <initializer_list>

namespace parlowen::app {
namespace {

struct MenuItem {
    unsigned id;           // 0 for a separator
    const wchar_t* caption;
    bool checked = false;
};

constexpr MenuItem Separator{0, nullptr};

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

}  // namespace parlowen::app
