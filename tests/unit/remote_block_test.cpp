#include "capture/remote_block.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using parlowen::capture::RemoteBlock;

// Hands out addresses 0x1000, 0x2000, ... and records what is still allocated.
class FakeMemory final : public RemoteBlock::Memory {
public:
    RemoteBlock::Address Allocate(std::size_t bytes) override {
        const RemoteBlock::Address block = next_ += 0x1000;
        allocated[block] = bytes;
        return block;
    }
    void Free(RemoteBlock::Address block) override {
        EXPECT_EQ(allocated.erase(block), 1u) << "freed twice or never allocated: " << block;
    }
    std::map<RemoteBlock::Address, std::size_t> allocated;

private:
    RemoteBlock::Address next_ = 0;
};

constexpr RemoteBlock::Window kWindow = 0x10, kOtherWindow = 0x20;
constexpr std::size_t kGranularity = 4096;

TEST(RemoteBlock, IsKeptWhileItFitsAndReplacedByALargerOneWhenNot) {
    FakeMemory memory;
    RemoteBlock block;
    const auto first = block.For(kWindow, 100, kGranularity, memory);
    block.AfterBlockRequest(kWindow, true);
    EXPECT_EQ(block.For(kWindow, 4096, kGranularity, memory), first);
    EXPECT_EQ(block.size(), 4096u);
    const auto larger = block.For(kWindow, 4097, kGranularity, memory);
    EXPECT_NE(larger, first);
    EXPECT_EQ(memory.allocated, (std::map<RemoteBlock::Address, std::size_t>{{larger, 8192}}));
    block.Release(memory);
    EXPECT_TRUE(memory.allocated.empty());
}

// After a request through the block timed out, whatever happens next, the block it may
// still write into is neither freed nor handed out again until a later request to that
// window has completed.
TEST(RemoteBlock, ABlockARequestWasGivenUpOnIsNeitherFreedNorReusedUntilTheWindowAnswers) {
    enum class Next { kExit, kLargerBlock, kOtherWindow, kSameWindow, kSameWindowAfterAnAnswer };
    for (const Next next : {Next::kExit, Next::kLargerBlock, Next::kOtherWindow, Next::kSameWindow,
                            Next::kSameWindowAfterAnAnswer}) {
        SCOPED_TRACE(static_cast<int>(next));
        FakeMemory memory;
        RemoteBlock block;
        const auto busy = block.For(kWindow, 100, kGranularity, memory);
        block.AfterBlockRequest(kWindow, false);
        EXPECT_TRUE(block.BusyIn(kWindow));
        switch (next) {
        case Next::kExit:
            block.Release(memory);
            break;
        case Next::kLargerBlock:
            EXPECT_EQ(block.For(kWindow, 100'000, kGranularity, memory), 0u);
            break;
        case Next::kOtherWindow: {
            const auto own = block.For(kOtherWindow, 100, kGranularity, memory);
            EXPECT_NE(own, 0u);
            EXPECT_NE(own, busy);
            block.Release(memory);  // the other window's block goes, the busy one stays
            break;
        }
        case Next::kSameWindow:
            EXPECT_EQ(block.For(kWindow, 100, kGranularity, memory), 0u);
            break;
        case Next::kSameWindowAfterAnAnswer:
            block.AfterCompletedRequest(kOtherWindow);  // an answer from elsewhere proves nothing
            EXPECT_EQ(block.For(kWindow, 100, kGranularity, memory), 0u);
            block.AfterCompletedRequest(kWindow);
            EXPECT_EQ(block.For(kWindow, 100, kGranularity, memory), busy);
            block.Release(memory);
            EXPECT_TRUE(memory.allocated.empty());
            continue;
        }
        EXPECT_EQ(memory.allocated.count(busy), 1u);
    }
}

}  // namespace
