// The chat capture's window services over the Windows user-interface functions.
#pragma once

#include "win32/handles_win32.h"
#include "capture/chat_reads.h"
#include "capture/chat_windows.h"
#include "capture/history_tail.h"
#include "capture/remote_block.h"
#include "capture/request_layout.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace parlowen::capture {

// A block of memory inside a messenger's process, for the requests whose
// pointers are not carried across processes (EM_GETTEXTLENGTHEX, EM_GETTEXTRANGE): the
// structure and the text then lie where the control looks for them, and are written
// and read from here. Kept from one read to the next while the process stays the same,
// and never freed or reused while a request given up on may still write into it
// (RemoteBlock). The process may be of either width: the block lies where both can
// name it, and its width tells the layout of the structures written into it.
class MessengerMemory final : private RemoteBlock::Memory {
public:
    // The block in the process `processId`, opened when first asked for.
    explicit MessengerMemory(DWORD processId) : processId_(processId) {}
    MessengerMemory(const MessengerMemory&) = delete;
    MessengerMemory& operator=(const MessengerMemory&) = delete;
    ~MessengerMemory() override { Release(); }

    // The block's address in the process, for a request to its window `window`, at
    // least `bytes` long; nullptr when the process cannot be opened, its width is
    // unknown, no block both sides can name can be had, or a request on the block given
    // up on may still be running in `window`.
    char* BlockFor(HWND window, std::size_t bytes);
    // Whether the length request's structure stands in the block at `block` already: it
    // is the same for every request, and writing it each time costs a call into the system.
    bool HoldsLengthRequest(const char* block) const noexcept { return block != nullptr && lengthRequestIn_ == block; }
    void LengthRequestWritten(const char* block) noexcept { lengthRequestIn_ = block; }
    // Whether requests through a block can be made to `window`'s process.
    bool Serves(HWND window);
    // After every request that used the block, and whether it completed.
    void AfterBlockRequest(HWND window, bool completed) { block_.AfterBlockRequest(Id(window), completed); }
    // After any request to `window` that completed: those sent before it are done.
    void AfterCompletedRequest(HWND window) { block_.AfterCompletedRequest(Id(window)); }
    // The width of the process the block is in.
    PointerWidth width() const noexcept { return width_; }
    bool Write(std::size_t offset, const void* data, std::size_t bytes);
    bool Read(std::size_t offset, void* data, std::size_t bytes);

private:
    static RemoteBlock::Window Id(HWND window) noexcept { return reinterpret_cast<RemoteBlock::Window>(window); }
    char* block() const noexcept { return reinterpret_cast<char*>(block_.address()); }
    RemoteBlock::Address Allocate(std::size_t bytes) override;
    void Free(RemoteBlock::Address block) override;
    void Open();
    void Release();

    const DWORD processId_;
    const char* lengthRequestIn_ = nullptr;
    win32::UniqueKernelHandle process_;
    bool widthKnown_ = false;
    PointerWidth width_ = kOwnPointerWidth;
    RemoteBlock block_;
};

class ChatWindowsWin32 final : public ChatWindows {
public:
    // The longest one request to the messenger's window may take before the text
    // counts as empty, so that a hung messenger never hangs the program.
    static constexpr UINT kRequestTimeoutMs = 2000;
    static constexpr std::size_t kMaxHistoryBytes = HistoryTailReader::kLongestHistory;

    // Once `cancelled` (when given) is set, no further request is sent and a read under
    // way ends as if the messenger had stopped answering.
    explicit ChatWindowsWin32(const std::atomic<bool>* cancelled = nullptr) : cancelled_(cancelled) {}

    TitledWindow Foreground() override;
    std::vector<TitledWindow> TopLevelWindows() override;
    bool Shown(std::uintptr_t handle) override;
    std::u16string AnsiToUnicode(std::string_view text) override;
    std::string UnicodeToAnsi(std::u16string_view text) override;
    bool Exists(std::uintptr_t handle) override { return ::IsWindow(reinterpret_cast<HWND>(handle)) != FALSE; }
    // Reads the history of the first direct child of class "RichEdit20A" of the window
    // `request` names (ChatCapture): its end when a cheap test finds it changed, what it
    // read last time when not (HistoryTailReader, one for each control); an empty
    // history on any failure.
    WindowRead ReadHistory(const ChatRead& request);
    static constexpr int kQuickLooksBetweenTests = 4;
    // Forgets what was read of controls that are gone, and the blocks in messengers
    // that have ended.
    void ForgetClosed();

    // How the reads of every control went.
    HistoryTailReader::Counts ReadCounts() const noexcept;

    // Between reads, the history last read is watched this often for a change.
    // 150 ms: a message is found 75 ms after it came mostly, and within 150 ms, at two
    // thirds of the cost of looking every 100 ms.
    static constexpr DWORD kWatchIntervalMs = 150;
    // Between reads: whether the history control read last is watched, and whether its
    // length has changed since it was read or last found changed. One request through
    // the block already in the messenger's memory, answered without walking the text; a
    // control read whole is not watched, as its length costs a walk.
    bool Watching() const noexcept { return watched_ != nullptr && watchedLength_.has_value(); }
    bool WatchedHistoryChanged();

private:
    MessengerMemory& MemoryOf(DWORD processId);
    // The history control of `chatWindow`: its first direct child of class "RichEdit20A",
    // looked for once (each look costs a call into the system); nullptr when it has none.
    HWND HistoryOf(HWND chatWindow);

    const std::atomic<bool>* cancelled_;
    // A block in each messenger's memory, by its process, and what was read of each
    // history control, by the control.
    std::map<DWORD, std::unique_ptr<MessengerMemory>> memories_;
    struct Followed {
        HistoryTailReader tail;
        int quickLooks = 0;  // length-only looks since the last whole cheap test
        DWORD processId = 0;  // the messenger's
        // The length the watch last found, and when (GetTickCount): the look of the next
        // read, when made a moment before it.
        std::optional<long> lengthWatched;
        DWORD watchedAt = 0;
    };
    std::map<HWND, Followed> tails_;
    std::map<HWND, HWND> historyOf_;  // by chat window
    HWND watched_ = nullptr;  // the control read last, and its process's block
    MessengerMemory* watchedMemory_ = nullptr;
    std::optional<long> watchedLength_;
};

}  // namespace parlowen::capture
