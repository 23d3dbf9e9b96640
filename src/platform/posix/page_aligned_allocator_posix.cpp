#include <stdlib.h>

#include "platform/buffer_allocator.h"

std::uint8_t* PageAlignedAllocator::Allocate(std::size_t size) {
    void* block = nullptr;
    if (posix_memalign(&block, kAlignment, size == 0 ? 1 : size) != 0) return nullptr;
    return static_cast<std::uint8_t*>(block);
}

void PageAlignedAllocator::Release(std::uint8_t* block) { free(block); }
