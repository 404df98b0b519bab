// The requests the capture makes of one history control in a messenger's window.
#pragma once

#include "capture/history_tail.h"
#include "capture/messenger_memory_win32.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>

namespace parlowen::capture {

// The requests to one history control, each bounded in time. SMTO_BLOCK keeps the
// calling thread's own windows from being re-entered while it waits.
//
// Parts of the text are asked for with EM_GETTEXTRANGE, whose buffer lies in the
// messenger's own memory. EM_GETLINE, which Wine does carry across processes, cannot
// be used there: Wine 8 hands the control a buffer size read from memory it never
// wrote (the control saw 104 or 138 whatever size was sent), so rows come back cut,
// and the messenger's heap is overrun: the demo chat died after 200 to 500 of them.
class HistoryControlWin32 final : public HistoryControl {
public:
    // The longest one request to the messenger's window may take before the text
    // counts as empty, so that a hung messenger never hangs the program.
    static constexpr UINT kRequestTimeoutMs = 2000;
    static constexpr std::size_t kMaxHistoryBytes = HistoryTailReader::kLongestHistory;

    HistoryControlWin32(HWND control, const std::atomic<bool>* cancelled, MessengerMemory& memory)
        : control_(control), cancelled_(cancelled), memory_(memory) {}

    bool ReadsParts() override { return memory_.Serves(control_); }
    std::optional<long> RowCount() override { return Ask(EM_GETLINECOUNT, 0, 0); }
    std::optional<long> Length() override;
    std::optional<long> LengthFromRows() override;
    std::optional<std::string> Text(long start, long end) override;
    std::optional<std::string> WholeText() override;

private:
    bool Send(UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
        if (cancelled_ && cancelled_->load()) return false;
        return ::SendMessageTimeoutA(control_, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                     kRequestTimeoutMs, &result) != 0;
    }
    std::optional<long> Ask(UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        if (!Send(message, wParam, lParam, result)) return std::nullopt;
        memory_.AfterCompletedRequest(control_);
        return static_cast<long>(static_cast<LONG_PTR>(result));
    }
    // A request whose structure and answer lie in the block.
    std::optional<long> AskThroughBlock(UINT message, WPARAM wParam, LPARAM lParam) {
        if (cancelled_ && cancelled_->load()) return std::nullopt;
        const std::optional<long> answer = Ask(message, wParam, lParam);
        memory_.AfterBlockRequest(control_, answer.has_value());
        return answer;
    }
    char* Block(std::size_t bytes) {
        // A request given up on may still be running in the messenger: any request that
        // completes after it shows it done, and the block free again. WM_NULL asks the
        // control nothing that costs it.
        if (memory_.BusyIn(control_)) Ask(WM_NULL, 0, 0);
        return memory_.BlockFor(control_, bytes);
    }

    HWND control_;
    const std::atomic<bool>* cancelled_;
    MessengerMemory& memory_;
};

}  // namespace parlowen::capture
