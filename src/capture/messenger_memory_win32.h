// A block of memory inside a messenger's process, through which the requests to its
// history controls whose pointers are not carried across processes are made.
#pragma once

#include "win32/handles_win32.h"
#include "capture/remote_block.h"
#include "capture/request_layout.h"

#include <windows.h>

#include <cstddef>

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
    // Where the structures and the text lie in the block.
    static constexpr std::size_t kLengthRequestOffset = 0;
    static constexpr std::size_t kRangeRequestOffset = 16;
    static constexpr std::size_t kTextOffset = 64;

    // Whether requests through a block can be made to `window`'s process.
    bool Serves(HWND window);
    // Whether a request through the block given up on may still be running in `window`.
    bool BusyIn(HWND window) const noexcept { return block_.BusyIn(Id(window)); }
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

    static constexpr std::size_t kBlockGranularity = 64 << 10;

    const DWORD processId_;
    const char* lengthRequestIn_ = nullptr;
    win32::UniqueKernelHandle process_;
    bool widthKnown_ = false;
    PointerWidth width_ = kOwnPointerWidth;
    RemoteBlock block_;
};

}  // namespace parlowen::capture
