#include "page_aligned_allocator.h"

#include <new>

std::uint8_t* PageAlignedAllocator::Allocate(std::size_t size) {
    void* block = ::operator new(size, std::align_val_t{kAlignment}, std::nothrow);
    return static_cast<std::uint8_t*>(block);
}

void PageAlignedAllocator::Release(std::uint8_t* block) {
    if (block != nullptr) ::operator delete(block, std::align_val_t{kAlignment});
}
