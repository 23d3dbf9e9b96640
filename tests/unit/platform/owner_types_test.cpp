// The owner types: a handle and a buffer are each given back exactly once,
// whichever of reset, close and destruction comes first.

#include <gtest/gtest.h>

#include <vector>

#include "counting_allocator.h"
#include "platform/buffer_allocator.h"
#include "platform/owned_handle.h"

namespace {

struct RecordClose {
    std::vector<int>* closed;
    void operator()(int handle) const { closed->push_back(handle); }
};

constexpr int kInvalid = -1;

TEST(OwnedHandle, ClosesEachHandleItHoldsExactlyOnce) {
    std::vector<int> closed;
    {
        OwnedHandle<int, RecordClose> handle(kInvalid, RecordClose{&closed});
        EXPECT_FALSE(handle.valid());
        handle.Close();  // nothing held: nothing closed

        handle.Reset(7);
        EXPECT_TRUE(handle.valid());
        EXPECT_EQ(handle.get(), 7);
        handle.Reset(8);  // the one held goes first
        EXPECT_EQ(closed, (std::vector<int>{7}));

        handle.Close();
        handle.Close();
        EXPECT_EQ(closed, (std::vector<int>{7, 8}));
        EXPECT_EQ(handle.get(), kInvalid);

        handle.Reset(kInvalid);  // a failed open is held as nothing
        EXPECT_FALSE(handle.valid());
        handle.Reset(9);
    }
    EXPECT_EQ(closed, (std::vector<int>{7, 8, 9})) << "destruction closes what is still held";
}

TEST(OwnedBuffer, TakesAZeroedBlockAndGivesItBackOnce) {
    CountingAllocator memory;
    {
        OwnedBuffer buffer(memory);
        ASSERT_TRUE(buffer.Allocate(64));
        ASSERT_NE(buffer.get(), nullptr);
        for (int i = 0; i < 64; ++i) ASSERT_EQ(buffer.get()[i], 0) << i;
        EXPECT_EQ(memory.live.size(), 1u);

        ASSERT_TRUE(buffer.Allocate(32));  // the first block goes back first
        EXPECT_EQ(memory.live.size(), 1u);
        buffer.Release();
        buffer.Release();
        EXPECT_TRUE(memory.live.empty());
        EXPECT_EQ(buffer.get(), nullptr);
        ASSERT_TRUE(buffer.Allocate(16));
    }
    EXPECT_TRUE(memory.live.empty()) << "destruction releases what is still held";
    EXPECT_EQ(memory.strayReleases, 0);
}

TEST(OwnedBuffer, AFailedAllocationHoldsNothing) {
    CountingAllocator memory;
    memory.failAt = 1;
    OwnedBuffer buffer(memory);
    EXPECT_FALSE(buffer.Allocate(64));
    EXPECT_EQ(buffer.get(), nullptr);
    buffer.Release();
    EXPECT_EQ(memory.strayReleases, 0);
}

}  // namespace
