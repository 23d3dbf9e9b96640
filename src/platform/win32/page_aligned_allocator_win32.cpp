#include <windows.h>

#include "platform/buffer_allocator.h"

std::uint8_t* PageAlignedAllocator::Allocate(std::size_t size) {
    void* block = ::VirtualAlloc(nullptr, size == 0 ? 1 : size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    return static_cast<std::uint8_t*>(block);
}

void PageAlignedAllocator::Release(std::uint8_t* block) {
    if (block != nullptr) ::VirtualFree(block, 0, MEM_RELEASE);
}
