// The block of memory the capture keeps inside the messenger's process, and when it may
// be freed or reused.
//
// A request through the block that was given up on (timed out) may still be running
// inside the messenger, and on Windows may even be delivered later, writing into the
// block when it does. Until a later request to that window has completed, the block is
// therefore neither freed nor reused; if none ever does, it stays allocated, which costs
// the messenger a few kilobytes instead of its heap.
#pragma once

#include <cstddef>
#include <cstdint>

namespace parlowen::capture {

class RemoteBlock {
public:
    using Address = std::uintptr_t;  // 0: none
    using Window = std::uintptr_t;   // the window a request went to

    // Allocation in the messenger's process.
    class Memory {
    public:
        virtual ~Memory() = default;
        // A block of exactly `bytes`, or 0 when none can be had.
        virtual Address Allocate(std::size_t bytes) = 0;
        virtual void Free(Address block) = 0;
    };

    // The block to use for a request to `window`, at least `bytes` long (rounded up to
    // `granularity`); 0 when none can be had or a request given up on may still be
    // running in `window`. A block busy in another window is left to it, and this one
    // gets a block of its own.
    Address For(Window window, std::size_t bytes, std::size_t granularity, Memory& memory);
    // After every request that used the block.
    void AfterBlockRequest(Window window, bool completed);
    // After any request to `window` that completed: those sent before it are done.
    void AfterCompletedRequest(Window window);
    // Whether a request given up on may still be running in `window`.
    bool BusyIn(Window window) const noexcept { return busyIn_ == window && busyIn_ != 0; }
    // Frees the block, or leaves it allocated while a request may still use it.
    void Release(Memory& memory);

    Address address() const noexcept { return block_; }
    std::size_t size() const noexcept { return size_; }

private:
    void Forget();

    Address block_ = 0;
    std::size_t size_ = 0;
    Window busyIn_ = 0;
};

}  // namespace parlowen::capture
