// The chat capture's window services over the Windows user-interface functions.
#pragma once

#include "capture/chat_windows.h"

#include <windows.h>

#include <cstddef>

namespace parlowen::capture {

class ChatWindowsWin32 final : public ChatWindows {
public:
    // The longest one request to the messenger's window may take before the text
    // counts as empty, so that a hung messenger never hangs the program.
    static constexpr UINT kRequestTimeoutMs = 2000;
    // Larger transcripts read as empty rather than cut, since a cut one ends in the
    // middle of the history and its last message is not the last message.
    static constexpr std::size_t kMaxHistoryBytes = std::size_t{64} << 20;

    std::string ForegroundTitle() override;
    std::u16string AnsiToUnicode(std::string_view text) override;
    std::string ReadHistory(std::string_view title) override;
};

}  // namespace parlowen::capture
