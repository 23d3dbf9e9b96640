// The working buffers on Windows: whole pages from VirtualAlloc, which start
// on a page boundary on every Windows version (an aligned operator new would
// import _aligned_malloc, which the MSVCRT.DLL before Windows XP lacks).

#include <windows.h>

#include "page_aligned_allocator.h"

static_assert(PageAlignedAllocator::kAlignment == 4096, "VirtualAlloc gives 4096-byte pages");

std::uint8_t* PageAlignedAllocator::Allocate(std::size_t size) {
    void* block = VirtualAlloc(nullptr, size == 0 ? 1 : size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    return static_cast<std::uint8_t*>(block);
}

void PageAlignedAllocator::Release(std::uint8_t* block) {
    if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}
