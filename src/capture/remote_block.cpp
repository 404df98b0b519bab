#include "capture/remote_block.h"

namespace parlowen::capture {

RemoteBlock::Address RemoteBlock::For(Window window, std::size_t bytes, std::size_t granularity, Memory& memory) {
    if (BusyIn(window)) return 0;
    if (busyIn_ != 0) Forget();
    if (size_ < bytes) {
        Release(memory);
        const std::size_t size = (bytes + granularity - 1) / granularity * granularity;
        block_ = memory.Allocate(size);
        size_ = block_ ? size : 0;
    }
    return block_;
}

void RemoteBlock::AfterBlockRequest(Window window, bool completed) {
    if (!completed) busyIn_ = window;
}

void RemoteBlock::AfterCompletedRequest(Window window) {
    if (busyIn_ == window) busyIn_ = 0;
}

void RemoteBlock::Release(Memory& memory) {
    if (busyIn_ == 0 && block_ != 0) memory.Free(block_);
    Forget();
}

void RemoteBlock::Forget() {
    block_ = 0;
    size_ = 0;
    busyIn_ = 0;
}

}  // namespace parlowen::capture
