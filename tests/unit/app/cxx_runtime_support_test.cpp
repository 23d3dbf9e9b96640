// The shipped programs' operator new and delete, linked into this test
// program as into them: blocks come from the process heap, a zero-byte
// request still gets a block of its own, and a request the heap cannot meet
// gives null to the nothrow forms instead of ending the program.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>

namespace {

TEST(CxxRuntimeSupport, BlocksComeFromTheProcessHeap) {
    char* block = new char[1000];
    std::memset(block, 0x5A, 1000);
    // HeapSize fails for memory that is not a block of this heap (under
    // Wine the C runtime's malloc, which the C++ library's operator new
    // uses, has a heap of its own).
    const SIZE_T size = HeapSize(GetProcessHeap(), 0, block);
    EXPECT_NE(size, static_cast<SIZE_T>(-1));
    EXPECT_GE(size, 1000u);
    delete[] block;

    int* number = new (std::nothrow) int(7);
    ASSERT_NE(number, nullptr);
    EXPECT_NE(HeapSize(GetProcessHeap(), 0, number), static_cast<SIZE_T>(-1));
    delete number;
}

TEST(CxxRuntimeSupport, ZeroByteRequestsGetDistinctBlocks) {
    void* first = ::operator new(0);
    void* second = ::operator new(0);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(second, nullptr);
    EXPECT_NE(first, second);
    ::operator delete(first);
    ::operator delete(second);
}

TEST(CxxRuntimeSupport, NothrowFormsAnswerNullWhenTheHeapCannot) {
    // Not a constant, so the compiler does not refuse the call itself.
    volatile std::size_t impossibleSize = SIZE_MAX - 4096;
    const std::size_t impossible = impossibleSize;
    void* block = ::operator new(impossible, std::nothrow);
    EXPECT_EQ(block, nullptr);
    void* array = ::operator new[](impossible, std::nothrow);
    EXPECT_EQ(array, nullptr);
    // Deleting null is allowed and does nothing.
    ::operator delete(nullptr);
    ::operator delete[](nullptr);
}

}  // namespace
