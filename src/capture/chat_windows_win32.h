// The chat tracking's window services over the Windows user-interface functions, used
// on the GUI thread: the windows looked through, never their histories.
#pragma once

#include "capture/chat_windows.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::capture {

class ChatWindowsWin32 final : public ChatWindows {
public:
    TitledWindow Foreground() override;
    std::vector<std::uintptr_t> TopLevelWindows() override;
    std::string Title(std::uintptr_t handle) override;
    bool Shown(std::uintptr_t handle) override;
    std::u16string AnsiToUnicode(std::string_view text) override;
    std::string UnicodeToAnsi(std::u16string_view text) override;
    bool Exists(std::uintptr_t handle) override { return ::IsWindow(reinterpret_cast<HWND>(handle)) != FALSE; }
};

}  // namespace parlowen::capture
